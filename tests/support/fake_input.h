#pragma once
// An input manager whose pointer and buttons the test sets; a button "pushed" is
// pushed only until the next Step().
#include "input/gvlInputManager.h"

class FakeInput : public IInputManager {
public:
    void Update() override {}
    bool IsLButtonDown() override { return left; }
    bool IsRButtonDown() override { return right; }
    bool IsMButtonDown() override { return false; }
    bool IsLButtonPush() override { return leftPush; }
    bool IsRButtonPush() override { return rightPush; }
    bool IsMButtonPush() override { return false; }
    int GetX() override { return x; }
    int GetY() override { return y; }
    void GetXY(int* px, int* py) override {
        *px = x;
        *py = y;
    }
    bool IsPush(int) override { return false; }
    bool IsPress(int) override { return false; }
    IKeyBase* GetKey() override { return nullptr; }
    CFixMouseIDP* GetMouse() override { return nullptr; }

    void Move(int nx, int ny) { x = nx, y = ny; }
    // The pointer resting at (nx, ny), no button pressed.
    static FakeInput At(int nx, int ny) {
        FakeInput input;
        input.Move(nx, ny);
        return input;
    }
    void ClickLeft() { left = leftPush = true; }
    void ClickRight() { right = rightPush = true; }
    // The next frame: pushes end, buttons are released.
    void Step() { left = right = leftPush = rightPush = false; }

    int x = 0, y = 0;
    bool left = false, right = false, leftPush = false, rightPush = false;
};
