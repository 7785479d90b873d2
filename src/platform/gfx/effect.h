#pragma once
// Effect and vertex-shader objects.  The skinned meshes are drawn by the fixed-function
// path, so these objects only have to be created from their source bytes, kept, and
// handed around; they check that the source is usable and keep its bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hresult.h"

namespace gfx {

class Device;

// Results of creation from unusable bytes (the 3D API's own codes).
constexpr HRESULT ERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);  // no data
constexpr HRESULT ERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);  // data that does not parse

class Effect {
public:
    const std::vector<uint8_t>& Source() const { return m_source; }
    const std::string& TechniqueName() const { return m_technique; }
    void OnLostDevice() { m_bLost = true; }
    void OnResetDevice() { m_bLost = false; }
    bool IsLost() const { return m_bLost; }
    void Release() { delete this; }

private:
    friend HRESULT CreateEffect(Device*, const void*, size_t, Effect**);
    Effect() = default;
    ~Effect() = default;
    std::vector<uint8_t> m_source;
    std::string m_technique;
    bool m_bLost = false;
};

// Creates an effect from its text.  Empty data gives ERR_INVALIDCALL; text without a
// technique gives ERR_INVALIDDATA.
HRESULT CreateEffect(Device* device, const void* data, size_t size, Effect** out);

// Assembles vertex-shader text ("vs.1.1" and instructions, ';' or "//" comments) into
// code: the version token and the instruction lines, kept as text.  Empty data gives
// ERR_INVALIDCALL, a missing or wrong version token ERR_INVALIDDATA.
HRESULT AssembleShader(const void* data, size_t size, std::vector<uint8_t>& code);

class VertexShader {
public:
    const std::vector<uint8_t>& Code() const { return m_code; }
    int VersionMajor() const { return m_major; }
    int VersionMinor() const { return m_minor; }
    void Release() { delete this; }

private:
    friend HRESULT CreateVertexShader(Device*, const std::vector<uint8_t>&, VertexShader**);
    VertexShader() = default;
    ~VertexShader() = default;
    std::vector<uint8_t> m_code;
    int m_major = 0, m_minor = 0;
};

// Creates a vertex shader from assembled code; empty code gives ERR_INVALIDCALL.
HRESULT CreateVertexShader(Device* device, const std::vector<uint8_t>& code, VertexShader** out);

}  // namespace gfx
