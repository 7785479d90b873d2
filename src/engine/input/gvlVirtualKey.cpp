#include "input/gvlVirtualKey.h"

#include <cstring>

CVirtualKey::CVirtualKey() { ClearAssignments(); }

CVirtualKey::~CVirtualKey() {
    // The assignments go before the devices they name.
    ClearAssignments();
    m_Devices.clear();
}

void CVirtualKey::ClearAssignments() {
    for (auto& list : m_Assign) list.clear();
}

void CVirtualKey::AddDevice(const smart_ptr<IKeyBase>& device) { m_Devices.push_back(device); }

bool CVirtualKey::AssignKey(int virtualKey, int device, int key) {
    if (virtualKey < 0 || virtualKey >= kVirtualKeyCount || device < 0) return false;
    m_Assign[virtualKey].emplace_back(new CKeyInfo(device, key));
    return true;
}

const std::vector<smart_ptr<CVirtualKey::CKeyInfo>>& CVirtualKey::GetAssignments(int virtualKey) const {
    static const std::vector<smart_ptr<CKeyInfo>> kNone;
    if (virtualKey < 0 || virtualKey >= kVirtualKeyCount) return kNone;
    return m_Assign[virtualKey];
}

int CVirtualKey::Input() {
    int result = 0;
    for (auto& device : m_Devices)
        if (device) result |= device->Input();

    unsigned char* current = FlipBuffer();
    std::memset(current, 0, kKeyCount);

    const int deviceCount = static_cast<int>(m_Devices.size());
    for (int vk = 0; vk < kVirtualKeyCount; ++vk) {
        for (const auto& info : m_Assign[vk]) {
            if (!info || info->m_Device >= deviceCount) continue;
            IKeyBase* device = m_Devices[info->m_Device].Get();
            if (device && device->IsPress(info->m_Key)) {
                current[vk] = 255;
                break;
            }
        }
    }
    return result;
}
