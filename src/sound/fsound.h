// The sound library calls the music player uses: MP3 streams that open from
// a file name, play on a free channel, report position and length in sample
// frames, stop and close. Behind the calls sits a replaceable SoundLibrary:
// the real one decodes with libmpg123 and plays through the runtime's audio
// device, a virtual one plays nothing and follows the runtime's clock, and
// tests may install their own.
#pragma once

#include <cstdint>

#include "runtime/owned.h"

namespace wimmel {

namespace sound {
struct LibraryState;
// Files the library has scanned in this run, for their length or to find
// that they do not decode; the tests count the scans with it.
uint64_t FilesScanned();
}  // namespace sound
// The sound library layer of one run: which library answers the calls, the
// real and the silent one, the stream handles given out and what the scans
// found out about the files: their lengths, or that they do not decode (see
// runtime/owned.h). A device the real library still has
// open when the state goes is closed first.
using SoundLibraryModule = Owned<sound::LibraryState>;

// A stream handle; 0 means none. Handles are never reused within a run.
using StreamHandle = uint32_t;

// Mode flag for exact length and position of MP3 streams (lengths are always
// exact here; the flag is accepted for the callers' sake).
constexpr uint32_t FSOUND_MPEGACCURATE = 0x20000;
// Channel argument of FSOUND_Stream_Play: any free channel.
constexpr int32_t FSOUND_FREE = -1;

float FSOUND_GetVersion();
// Non-zero when the library is ready: with the real library, the runtime's
// audio device (44.1 kHz stereo) is open; 0 when the runtime has none or it
// does not open.
uint8_t FSOUND_Init(int32_t mixrate, int32_t maxchannels, uint32_t flags);
void FSOUND_Close();
uint8_t FSOUND_Stream_SetBufferSize(int32_t ms);
// 0 when the file is missing or cannot be decoded. Backslashes in the name
// are path separators.
StreamHandle FSOUND_Stream_Open(const char* name, uint32_t mode, int32_t offset, int32_t length);
// The channel the stream plays on, or -1.
int32_t FSOUND_Stream_Play(int32_t channel, StreamHandle stream);
uint8_t FSOUND_Stream_Stop(StreamHandle stream);
uint8_t FSOUND_Stream_Close(StreamHandle stream);
// In sample frames; 0 for handle 0 or a closed stream. A stream that has
// played to its end stops by itself and reports its length.
uint32_t FSOUND_Stream_GetPosition(StreamHandle stream);
uint32_t FSOUND_Stream_GetLength(StreamHandle stream);

class SoundLibrary {
 public:
  virtual ~SoundLibrary() = default;
  virtual float GetVersion() = 0;
  virtual uint8_t Init(int32_t mixrate, int32_t maxchannels, uint32_t flags) = 0;
  virtual void Close() = 0;
  virtual uint8_t SetBufferSize(int32_t ms) = 0;
  virtual StreamHandle Open(const char* name, uint32_t mode, int32_t offset, int32_t length) = 0;
  virtual int32_t Play(int32_t channel, StreamHandle stream) = 0;
  virtual uint8_t Stop(StreamHandle stream) = 0;
  virtual uint8_t CloseStream(StreamHandle stream) = 0;
  virtual uint32_t GetPosition(StreamHandle stream) = 0;
  virtual uint32_t GetLength(StreamHandle stream) = 0;
};

// The library that plays through the runtime's audio device, for wrappers
// that add to it.
SoundLibrary& RealSoundLibrary();
// Routes the FSOUND_ calls to `library` (not owned); null restores the real
// library. Switch while the current library is closed.
void SetSoundLibrary(SoundLibrary* library);
// Installs the silent virtual device: FSOUND_Init succeeds without audio
// hardware, streams open with their exact decoded length, and a playing
// stream's position is the time since its start on the runtime's clock.
void UseVirtualSoundDevice();

}  // namespace wimmel
