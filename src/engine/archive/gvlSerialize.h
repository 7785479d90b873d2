#pragma once
// The binary save stream: one object that stores items into a growing byte buffer
// or loads them back, with the same call for both directions.  Items are plain
// little-endian concatenations without keys or tags:
//   byte 1, bool 1, int 4, 2-byte and 4-byte items as in memory,
//   string = bytes + 0, vector = int count + items, another stream = its buffer
//   (count + bytes), its mode (bool) and its read position (int).
//
// Loading is bounds-checked: a load that would run past the buffer (a short or
// foreign file, a string without its 0) yields zero / empty items, moves the
// position to the end and sets the error flag, which stays set until Clear or
// SetMode.  A count read from the stream never exceeds what the remaining bytes
// can hold.
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

class IArchive;

class ISerialize {
public:
    virtual void Clear() = 0;
    virtual bool IsStoring() const = 0;
    virtual unsigned char& GetModeRef() = 0;
    virtual void SetMode(bool storing) = 0;
    virtual void SetStoring(bool storing) = 0;
    virtual std::vector<unsigned char>& GetBuffer() = 0;
    virtual ISerialize& SerializeArchive(ISerialize& other) = 0;
    virtual ISerialize& SerializeStringVector(std::vector<std::string>& v) = 0;
    virtual ISerialize& SerializeByteVector(std::vector<unsigned char>& v) = 0;
    virtual ISerialize& SerializeBoolVector(std::vector<bool>& v) = 0;
    virtual ISerialize& SerializeIntVector(std::vector<int>& v) = 0;
    virtual ISerialize& SerializeString(std::string& s) = 0;
    virtual ISerialize& SerializeByte(unsigned char& b) = 0;
    virtual ISerialize& SerializeBool(bool& b) = 0;
    virtual ISerialize& SerializeInt(int& n) = 0;
    virtual ISerialize& SerializeObject(IArchive& object) = 0;
    virtual void CopyFrom(ISerialize& other) = 0;
    virtual int SaveToFile(const std::string& fileName) = 0;
    virtual int LoadFromFile(const std::string& fileName) = 0;
    virtual int& GetPositionRef() = 0;
    virtual ~ISerialize() = default;

    // Raw items of a fixed width (2 or 4 bytes), in memory order.
    virtual ISerialize& SerializeRaw(void* item, int width) = 0;
    // Loading: the count read from the stream capped so that `count` items of at
    // least `minItemBytes` bytes fit in what remains (the error flag is set when
    // it had to be cut, or when it was negative).  Storing: count unchanged.
    virtual int CheckCount(int count, int minItemBytes) = 0;
    virtual bool HasError() const = 0;

    // Any 4-byte item (float, unsigned, enum ...).
    template <class T>
    ISerialize& Serialize32(T& item) {
        static_assert(sizeof(T) == 4 && std::is_trivially_copyable_v<T>, "4-byte item expected");
        return SerializeRaw(&item, 4);
    }
    // Any 2-byte item.
    template <class T>
    ISerialize& Serialize16(T& item) {
        static_assert(sizeof(T) == 2 && std::is_trivially_copyable_v<T>, "2-byte item expected");
        return SerializeRaw(&item, 2);
    }
    // int count, then the items; loading resizes the vector to the count first.
    template <class T>
    ISerialize& SerializeVector32(std::vector<T>& v) {
        static_assert(sizeof(T) == 4 && std::is_trivially_copyable_v<T>, "4-byte items expected");
        return SerializeVectorRaw(v, 4);
    }
    template <class T>
    ISerialize& SerializeVector16(std::vector<T>& v) {
        static_assert(sizeof(T) == 2 && std::is_trivially_copyable_v<T>, "2-byte items expected");
        return SerializeVectorRaw(v, 2);
    }

private:
    template <class T>
    ISerialize& SerializeVectorRaw(std::vector<T>& v, int width) {
        int count = static_cast<int>(v.size());
        SerializeInt(count);
        count = CheckCount(count, width);
        if (!IsStoring()) v.assign(static_cast<size_t>(count), T{});
        for (int i = 0; i < count; ++i) SerializeRaw(&v[static_cast<size_t>(i)], width);
        return *this;
    }
};

class CSerialize : public ISerialize {
public:
    CSerialize();  // empty, storing
    CSerialize(const CSerialize& other) = default;
    CSerialize& operator=(const CSerialize& other) = default;
    ~CSerialize() override = default;

    void Clear() override;                  // empty buffer, position 0, storing
    bool IsStoring() const override { return m_byMode != 0; }
    unsigned char& GetModeRef() override { return m_byMode; }
    void SetMode(bool storing) override;    // position 0; storing also empties the buffer
    void SetStoring(bool storing) override; // direction only
    std::vector<unsigned char>& GetBuffer() override { return m_vBuffer; }
    const std::vector<unsigned char>& GetBuffer() const { return m_vBuffer; }
    ISerialize& SerializeArchive(ISerialize& other) override;
    ISerialize& SerializeStringVector(std::vector<std::string>& v) override;
    ISerialize& SerializeByteVector(std::vector<unsigned char>& v) override;
    ISerialize& SerializeBoolVector(std::vector<bool>& v) override;
    ISerialize& SerializeIntVector(std::vector<int>& v) override;
    ISerialize& SerializeString(std::string& s) override;
    ISerialize& SerializeByte(unsigned char& b) override;
    ISerialize& SerializeBool(bool& b) override;
    ISerialize& SerializeInt(int& n) override;
    ISerialize& SerializeObject(IArchive& object) override;
    void CopyFrom(ISerialize& other) override;
    // 0 written, 1 neither truncated nor created, 2 write failed, 3 close failed.
    int SaveToFile(const std::string& fileName) override;
    // Appends the file's bytes to the buffer: 0, or -1 when it cannot be read.
    int LoadFromFile(const std::string& fileName) override;
    int& GetPositionRef() override { return m_nPosition; }
    // The buffer becomes a copy of the bytes; mode and position stay.  Returns 0.
    int SetBuffer(const std::string& bytes);

    ISerialize& SerializeRaw(void* item, int width) override;
    int CheckCount(int count, int minItemBytes) override;
    bool HasError() const override { return m_bError; }
    // Bytes left to load from the position.
    size_t Remaining() const;

private:
    // Copies n bytes from the position into dst and advances; on a short buffer
    // zero-fills dst, moves to the end, sets the error flag and returns false.
    bool Take(void* dst, size_t n);

    std::vector<unsigned char> m_vBuffer;
    unsigned char m_byMode = 1;
    int m_nPosition = 0;
    bool m_bError = false;
};
