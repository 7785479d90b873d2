// Choosing a decoder by extension, and the sound code's failed-check lines.
#include "Sound/gvlSoundStream.h"

#include <cctype>

#include "Sound/gvlACMStream.h"
#include "Sound/gvlVorbisStream.h"
#include "Sound/gvlWaveStream.h"
#include "log/ErrorLog.h"

void SoundCheckFailed(const char* file, int line, const std::string& text) {
    g_ErrorLog.Printf("%s(%d): %s", file, line, text.c_str());
}

namespace {
bool ExtensionIs(const std::string& ext, const char* lower) {
    size_t i = 0;
    for (; lower[i]; ++i) {
        if (i >= ext.size() || std::tolower(static_cast<unsigned char>(ext[i])) != lower[i]) return false;
    }
    return i == ext.size();
}
}  // namespace

ISoundStream* CreateSoundStream(const std::string& path) {
    const size_t dot = path.rfind('.');
    const std::string ext = dot == std::string::npos ? path : path.substr(dot + 1);
    ISoundStream* stream = nullptr;
    bool retryCompressed = false;
    if (ExtensionIs(ext, "wav")) stream = new CWaveStream();
    else if (ExtensionIs(ext, "ogg")) stream = new CVorbisStream();
    else stream = new CACMStream();
    // A name such as "a.WAV" or "b.Ogg" is not exactly "wav" or "ogg": when its own
    // reader refuses it, the compressed-audio decoder gets its turn, so MP3 data in a
    // wave file named in upper case still plays.
    if (dynamic_cast<CACMStream*>(stream) == nullptr && ext != "wav" && ext != "ogg") retryCompressed = true;
    if (stream->Open(path.c_str()) != 0) {
        delete stream;
        if (!retryCompressed) return nullptr;
        stream = new CACMStream();
        if (stream->Open(path.c_str()) != 0) {
            delete stream;
            return nullptr;
        }
    }
    return stream;
}
