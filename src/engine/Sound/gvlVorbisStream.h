#pragma once
// Ogg Vorbis files, read as loose files and decoded by libvorbisfile, which is loaded
// at run time (once per program; when it is missing the user is told once and every
// Ogg file fails to open).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Sound/gvlSoundStream.h"

struct OggVorbis_File;
struct vorbis_info;

class VorbisLibrary {
public:
    // The library "libvorbisfile.so.3", bound at the first use.
    static VorbisLibrary& Instance();

    // Loads the named library; when it cannot be loaded, a message box names it
    // (when `tellUser`) and the error log gets a line.
    VorbisLibrary(const char* moduleName, bool tellUser);
    ~VorbisLibrary();
    VorbisLibrary(const VorbisLibrary&) = delete;
    VorbisLibrary& operator=(const VorbisLibrary&) = delete;

    bool IsLoaded() const { return m_hModule != nullptr; }

    void* m_hModule = nullptr;
    int (*ov_clear)(OggVorbis_File*) = nullptr;
    int (*ov_open)(FILE*, OggVorbis_File*, const char*, long) = nullptr;
    long (*ov_seekable)(OggVorbis_File*) = nullptr;
    vorbis_info* (*ov_info)(OggVorbis_File*, int) = nullptr;
    long (*ov_read)(OggVorbis_File*, char*, int, int, int, int, int*) = nullptr;
    int (*ov_time_seek)(OggVorbis_File*, double) = nullptr;
    double (*ov_time_tell)(OggVorbis_File*) = nullptr;
    double (*ov_time_total)(OggVorbis_File*, int) = nullptr;
};

// Whether the bytes are one logical Ogg stream of intact pages in order, from its first
// page to its last; `why` names the first fault.
bool CheckOggPages(const std::vector<unsigned char>& bytes, std::string& why);

class CVorbisStream : public ISoundStream {
public:
    // Open results: 0 opened, 1 the file cannot be opened, 2 not an Ogg Vorbis file
    // (or no library), 3 not seekable.
    CVorbisStream();
    // A stream bound to a library of the caller's (checks).
    explicit CVorbisStream(VorbisLibrary* library);
    ~CVorbisStream() override;

    int Open(const char* path) override;
    int Close() override;
    int GetLength() override;
    int Seek(int milliseconds) override;
    int GetPosition() override;
    unsigned Read(void* buffer, unsigned bytes) override;
    WAVEFORMATEX* GetFormat() override { return &m_Format; }

private:
    VorbisLibrary* m_pLibrary = nullptr;
    bool m_bOpened = false;
    FILE* m_pFile = nullptr;
    std::unique_ptr<OggVorbis_File> m_pState;
    WAVEFORMATEX m_Format;
};
