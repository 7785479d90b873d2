#pragma once
// A connected line through points given in screen pixels, one colour per point,
// drawn straight to the device.
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"

class CD3DDraw2DLine : public CD3DObjectBase {
public:
    CD3DDraw2DLine() = default;
    ~CD3DDraw2DLine() override = default;

    void Restore() override {}
    void Invalidate() override {}

    // Grows the list to index + 1 points when needed (new points at (0, 0), white),
    // then sets the point's x, y and colour.
    void SetPoint(unsigned int index, int x, int y, uint32_t color);
    void Draw();

    std::vector<TLVertex> m_vertices;
};
