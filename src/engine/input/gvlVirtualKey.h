#pragma once
// Virtual keys: a key device whose 88 keys are each held when any physical key
// assigned to it is held on its device.  The game reads only virtual keys, so
// one action can be bound to a keyboard key and a joystick button at once.
#include <vector>

#include "input/gvlKeyBase.h"
#include "util/smart_ptr.h"

class CVirtualKey : public IKeyBase {
public:
    enum { kVirtualKeyCount = 88 };

    // One assignment: a key code on one device.
    class CKeyInfo {
    public:
        CKeyInfo() = default;
        CKeyInfo(int device, int key) : m_Device(device), m_Key(key) {}
        virtual ~CKeyInfo() = default;
        int m_Device = 0;
        int m_Key = 0;
    };

    CVirtualKey();
    ~CVirtualKey() override;
    CVirtualKey(const CVirtualKey&) = delete;
    CVirtualKey& operator=(const CVirtualKey&) = delete;

    // Reads every device (the result is the OR of their results), then sets
    // each virtual key held (255) when any of its assigned keys is held.
    int Input() override;

    // Appends a device; the first added is device 0.
    void AddDevice(const smart_ptr<IKeyBase>& device);
    // Appends an assignment.  A virtual key of 88 or more or a negative device
    // index is refused (false); an index that names no device when the keys are
    // read is skipped.
    bool AssignKey(int virtualKey, int device, int key);
    // Empties all 88 assignment lists.
    void ClearAssignments();

    int GetDeviceCount() const { return static_cast<int>(m_Devices.size()); }
    const std::vector<smart_ptr<CKeyInfo>>& GetAssignments(int virtualKey) const;

private:
    std::vector<smart_ptr<CKeyInfo>> m_Assign[kVirtualKeyCount];
    std::vector<smart_ptr<IKeyBase>> m_Devices;
};
