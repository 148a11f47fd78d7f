#include "sound/decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <limits>
#include <mutex>

#include "runtime/runtime.h"

namespace wimmel::sound {

namespace {

bool FormatIsOutputFormat(mpg123_handle* handle) {
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) return false;
  // A file without a single readable frame reports no channels; everything
  // after this check may divide by the frame size.
  return rate == kRate && channels == kChannels && encoding == MPG123_ENC_SIGNED_16;
}

// The decoder reads through stdio: its own reader asks the system for every
// frame header separately, which made scanning a three-minute track ten
// times slower than a buffered read.
mpg123_ssize_t ReadFile(void* file, void* buffer, size_t bytes) {
  const size_t got = std::fread(buffer, 1, bytes, static_cast<std::FILE*>(file));
  if (got == 0 && std::ferror(static_cast<std::FILE*>(file))) return -1;
  return static_cast<mpg123_ssize_t>(got);
}

off_t SeekFile(void* file, off_t offset, int whence) {
  if (fseeko(static_cast<std::FILE*>(file), offset, whence) != 0) return -1;
  return ftello(static_cast<std::FILE*>(file));
}

}  // namespace

std::unique_ptr<Mp3Decoder> Mp3Decoder::Open(std::string_view name) {
  std::FILE* file = rt::OpenReadStream(name);
  if (file == nullptr) return nullptr;
  return Open(file);
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::Open(std::FILE* file, bool* undecodable,
                                             const Mp3Scan* known) {
  if (undecodable != nullptr) *undecodable = false;
  if (file == nullptr) return nullptr;
  // Only needed by libmpg123 before 1.27, harmless after.
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });

  int error = MPG123_OK;
  mpg123_handle* handle = mpg123_new(nullptr, &error);
  if (handle == nullptr) {
    std::fclose(file);
    return nullptr;
  }
  std::unique_ptr<Mp3Decoder> decoder(new Mp3Decoder(handle));
  // The file is the decoder's to close from here on (no cleanup callback),
  // whether or not the library accepts it.
  decoder->file_ = file;

  // Broken files are expected (the user may drop anything into the folder);
  // they are refused quietly instead of filling the terminal.
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  const bool reuse = known != nullptr && known->length > 0;
  if (reuse && !known->gapless) mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
  mpg123_format_none(handle);
  if (mpg123_format(handle, kRate, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK ||
      mpg123_replace_reader_handle(handle, &ReadFile, &SeekFile, nullptr) != MPG123_OK) {
    return nullptr;
  }
  // From here a failure is the file's: it is no MP3 that decodes to audio.
  auto refuse = [undecodable] {
    if (undecodable != nullptr) *undecodable = true;
    return nullptr;
  };
  if (mpg123_open_handle(handle, file) != MPG123_OK) return refuse();
  if (!FormatIsOutputFormat(handle)) return refuse();
  if (reuse) {
    decoder->scan_ = *known;
    // The scan ends with a seek back to the first frame, which sets the
    // resampler of a file at another rate afresh; the same seek here makes
    // the samples the same as after a scan.
    if (mpg123_seek(handle, 0, SEEK_SET) < 0) return refuse();
    return decoder;
  }
  // The end-of-track test compares the position with this length, so it
  // must be the decoded frame count, not an estimate from the bit rate.
  const off_t estimate = mpg123_length(handle);
  if (mpg123_scan(handle) != MPG123_OK) return refuse();
  const off_t length = mpg123_length(handle);
  if (length <= 0) return refuse();
  decoder->scan_.length =
      static_cast<uint32_t>(std::min<int64_t>(length, std::numeric_limits<uint32_t>::max()));
  // A length the scan corrected is the sign that it turned the cutting of
  // delay and padding off (or that there was none to cut).
  decoder->scan_.gapless = estimate == length;
  return decoder;
}

Mp3Decoder::~Mp3Decoder() {
  mpg123_close(handle_);
  mpg123_delete(handle_);
  if (file_ != nullptr) std::fclose(file_);
}

int32_t Mp3Decoder::Read(int16_t* out, int32_t frames) {
  constexpr size_t kFrameBytes = sizeof(int16_t) * kChannels;
  int32_t written = 0;
  int idleReads = 0;
  while (written < frames && !finished_) {
    size_t done = 0;
    const int result =
        mpg123_read(handle_, reinterpret_cast<unsigned char*>(out + written * kChannels),
                    static_cast<size_t>(frames - written) * kFrameBytes, &done);
    written += static_cast<int32_t>(done / kFrameBytes);
    if (result == MPG123_OK) {
      // A decoder that keeps answering OK without output would hold the
      // audio thread forever.
      idleReads = done == 0 ? idleReads + 1 : 0;
      if (idleReads > 16) finished_ = true;
    } else if (result == MPG123_NEW_FORMAT) {
      if (!FormatIsOutputFormat(handle_)) finished_ = true;
    } else {
      // MPG123_DONE, or a file that became unreadable while playing: either
      // way the track is over.
      finished_ = true;
    }
  }
  return written;
}

bool Mp3Decoder::Rewind() {
  finished_ = false;
  if (mpg123_seek(handle_, 0, SEEK_SET) < 0) {
    finished_ = true;
    return false;
  }
  return true;
}

}  // namespace wimmel::sound
