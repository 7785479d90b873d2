// The binary save stream.
#include "archive/gvlSerialize.h"

#include <algorithm>

#include "archive/gvlStringMap.h"
#include "fs/fs.h"
#include "paths.h"

CSerialize::CSerialize() { Clear(); }

void CSerialize::Clear() {
    m_vBuffer.clear();
    m_nPosition = 0;
    m_byMode = 1;
    m_bError = false;
}

void CSerialize::SetMode(bool storing) {
    m_byMode = storing ? 1 : 0;
    m_nPosition = 0;
    m_bError = false;
    if (storing) m_vBuffer.clear();
}

void CSerialize::SetStoring(bool storing) { m_byMode = storing ? 1 : 0; }

size_t CSerialize::Remaining() const {
    if (m_nPosition < 0 || static_cast<size_t>(m_nPosition) >= m_vBuffer.size()) return 0;
    return m_vBuffer.size() - static_cast<size_t>(m_nPosition);
}

bool CSerialize::Take(void* dst, size_t n) {
    if (Remaining() < n) {
        std::memset(dst, 0, n);
        m_nPosition = static_cast<int>(m_vBuffer.size());
        m_bError = true;
        return false;
    }
    if (n) std::memcpy(dst, m_vBuffer.data() + m_nPosition, n);
    m_nPosition += static_cast<int>(n);
    return true;
}

int CSerialize::CheckCount(int count, int minItemBytes) {
    if (IsStoring()) return count;
    if (count < 0) {
        m_bError = true;
        return 0;
    }
    size_t fit = minItemBytes > 0 ? Remaining() / static_cast<size_t>(minItemBytes) : Remaining();
    if (static_cast<size_t>(count) > fit) {
        m_bError = true;
        return static_cast<int>(fit);
    }
    return count;
}

ISerialize& CSerialize::SerializeRaw(void* item, int width) {
    if (width <= 0) return *this;
    if (IsStoring()) {
        const auto* p = static_cast<const unsigned char*>(item);
        m_vBuffer.insert(m_vBuffer.end(), p, p + width);
    } else {
        Take(item, static_cast<size_t>(width));
    }
    return *this;
}

ISerialize& CSerialize::SerializeByte(unsigned char& b) { return SerializeRaw(&b, 1); }

ISerialize& CSerialize::SerializeBool(bool& b) {
    unsigned char v = b ? 1 : 0;
    SerializeRaw(&v, 1);
    if (!IsStoring()) b = v != 0;
    return *this;
}

ISerialize& CSerialize::SerializeInt(int& n) {
    unsigned char bytes[4];
    if (IsStoring()) {
        uint32_t u = static_cast<uint32_t>(n);
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(u >> (8 * i));
        m_vBuffer.insert(m_vBuffer.end(), bytes, bytes + 4);
    } else {
        Take(bytes, 4);
        uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(bytes[i]) << (8 * i);
        n = static_cast<int>(u);
    }
    return *this;
}

ISerialize& CSerialize::SerializeString(std::string& s) {
    if (IsStoring()) {
        m_vBuffer.insert(m_vBuffer.end(), s.begin(), s.end());
        m_vBuffer.push_back(0);
        return *this;
    }
    s.clear();
    size_t left = Remaining();
    if (left == 0) {
        m_bError = true;
        return *this;
    }
    const unsigned char* start = m_vBuffer.data() + m_nPosition;
    const unsigned char* end = start + left;
    const unsigned char* zero = std::find(start, end, static_cast<unsigned char>(0));
    if (zero == end) {
        // No terminating 0: the text is taken to the end of the buffer.
        s.assign(reinterpret_cast<const char*>(start), left);
        m_nPosition = static_cast<int>(m_vBuffer.size());
        m_bError = true;
        return *this;
    }
    s.assign(reinterpret_cast<const char*>(start), static_cast<size_t>(zero - start));
    m_nPosition += static_cast<int>(zero - start) + 1;
    return *this;
}

ISerialize& CSerialize::SerializeByteVector(std::vector<unsigned char>& v) {
    int count = static_cast<int>(v.size());
    SerializeInt(count);
    if (IsStoring()) {
        m_vBuffer.insert(m_vBuffer.end(), v.begin(), v.end());
        return *this;
    }
    count = CheckCount(count, 1);
    v.clear();
    if (count > 0) {
        v.assign(m_vBuffer.begin() + m_nPosition, m_vBuffer.begin() + m_nPosition + count);
        m_nPosition += count;
    }
    return *this;
}

ISerialize& CSerialize::SerializeBoolVector(std::vector<bool>& v) {
    int count = static_cast<int>(v.size());
    SerializeInt(count);
    count = CheckCount(count, 1);
    if (IsStoring()) {
        for (bool b : v) m_vBuffer.push_back(b ? 1 : 0);
        return *this;
    }
    v.assign(static_cast<size_t>(count), false);
    for (int i = 0; i < count; ++i) v[static_cast<size_t>(i)] = m_vBuffer[static_cast<size_t>(m_nPosition + i)] != 0;
    m_nPosition += count;
    return *this;
}

ISerialize& CSerialize::SerializeIntVector(std::vector<int>& v) {
    int count = static_cast<int>(v.size());
    SerializeInt(count);
    count = CheckCount(count, 4);
    if (!IsStoring()) v.assign(static_cast<size_t>(count), 0);
    for (int i = 0; i < count; ++i) SerializeInt(v[static_cast<size_t>(i)]);
    return *this;
}

ISerialize& CSerialize::SerializeStringVector(std::vector<std::string>& v) {
    int count = static_cast<int>(v.size());
    SerializeInt(count);
    count = CheckCount(count, 1);  // every string takes at least its 0
    if (!IsStoring()) v.assign(static_cast<size_t>(count), std::string());
    for (int i = 0; i < count; ++i) SerializeString(v[static_cast<size_t>(i)]);
    return *this;
}

ISerialize& CSerialize::SerializeArchive(ISerialize& other) {
    if (&other == this) return *this;
    SerializeByteVector(other.GetBuffer());
    bool storing = other.IsStoring();
    SerializeBool(storing);
    if (!IsStoring()) other.GetModeRef() = storing ? 1 : 0;
    SerializeInt(other.GetPositionRef());
    return *this;
}

ISerialize& CSerialize::SerializeObject(IArchive& object) {
    object.Serialize(*this);
    return *this;
}

void CSerialize::CopyFrom(ISerialize& other) {
    if (&other == this) return;
    m_vBuffer = other.GetBuffer();
    m_byMode = other.GetModeRef();
    m_nPosition = other.GetPositionRef();
    m_bError = other.HasError();
}

int CSerialize::SaveToFile(const std::string& fileName) {
    // The bytes go to a file beside the target first, reach the disk, and then
    // replace it in one step, so neither a failed write nor a crash or power cut
    // ever leaves a save cut short.
    std::string target = plat::ResolvePath(fileName);
    std::string temp = target + ".tmp";
    const int written = plat::WriteFileDurably(temp, m_vBuffer.data(), m_vBuffer.size());
    if (written != 0) return written;
    if (!plat::ReplaceFile(temp, target)) {
        plat::RemoveFile(temp);
        return 1;
    }
    plat::SyncFolderOf(target);
    return 0;
}

int CSerialize::LoadFromFile(const std::string& fileName) {
    plat::File file;
    if (!file.Open(fileName, true, plat::kOpenExisting)) return -1;
    int64_t size = file.Size();
    if (size < 0) return -1;
    size_t old = m_vBuffer.size();
    m_vBuffer.resize(old + static_cast<size_t>(size));
    size_t got = file.ReadAt(0, m_vBuffer.data() + old, static_cast<size_t>(size));
    m_vBuffer.resize(old + got);  // whatever could be read stays appended
    return file.Close() ? 0 : -1;
}

int CSerialize::SetBuffer(const std::string& bytes) {
    m_vBuffer.assign(bytes.begin(), bytes.end());
    return 0;
}
