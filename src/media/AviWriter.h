#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fennix {

// One compressor the AVI writer offers.
struct Compressor {
    std::string Name;     // short name: none, msvideo1, cinepak, mjpeg, …
    std::string Caption;  // what the compressor chooser shows
    std::string Encoder;  // libavcodec encoder; empty for uncompressed frames
    bool UsesQuality = false;
};

// The compressors of the installed FFmpeg, uncompressed full frames first;
// entries whose encoder is missing are left out.
std::vector<Compressor> AvailableCompressors();

// The compressor of `name`, if the installed FFmpeg provides it.
std::optional<Compressor> FindCompressor(const std::string& name);

// What the compressor chooser returns.
struct CompressorOptions {
    std::string Name = "none";
    int Quality = 75;       // 1 … 100, for the compressors that use it
    int KeyFrameEvery = 1;  // a key frame every N frames (1: every frame)
    int DataRate = 0;       // kbit/s; 0 leaves the rate to the quality
};

// Asks for the compressor; nothing when the choice is cancelled.
using CompressorChooser = std::function<std::optional<CompressorOptions>()>;

// An AVI file with one video stream, written through libavformat's AVI
// muxer. The calls follow the order in which the file is built: Open,
// CreateStream, Compress, then Write for every frame, and Finish. Every call
// returns false on failure. The file is built beside the target (see
// SafeFile) and takes its place only when Finish succeeds, so a failed or
// discarded file leaves an existing one untouched and nothing new behind.
// Destroying an unfinished file discards it as well.
class AviFile {
  public:
    AviFile();
    ~AviFile();
    AviFile(const AviFile&) = delete;
    AviFile& operator=(const AviFile&) = delete;

    // Starts the file that will replace `path`. False when `path` may not be
    // replaced (a folder, device or FIFO, a read-only file).
    bool Open(const std::string& path);

    // Describes the video stream: frame size, rate in frames per second and
    // the bitmap info block (info header and colour table) of the frames
    // that Write will be given.
    bool CreateStream(int width, int height, int rate, const uint8_t* info, int infoSize);

    // Chooses how the frames are stored; the uncompressed kind stores the
    // bitmap rows as they are. False when the encoder cannot be opened for
    // the stream (a size it does not take, for example).
    bool Compress(const CompressorOptions& options);

    // Writes frame `position` from bottom-up bitmap rows of the format given
    // to CreateStream; `size` must be the full image size.
    bool Write(int position, const uint8_t* bits, int size);

    // Flushes the encoder, writes the index and closes the file.
    bool Finish();

    // Abandons an unfinished file.
    void Discard();

    // A short reason for a failure of Open or Finish to write the file, when
    // one is known.
    std::string Error() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// How a creation ended.
enum class AviOutcome {
    Written,     // every frame written
    Cancelled,   // the compressor choice was cancelled; no file is left
    LoadFailed,  // a frame could not be decoded, stored or reloaded; no file is left
    Failed,      // the video library failed, or the file could not be written; no file is left
    OutputIsFrame,  // the output names one of the frames; nothing was written
    Stopped,     // the progress callback asked to stop; no file is left
};

// Called after each frame written with the count so far and the total;
// false stops the creation there.
using AviProgress = std::function<bool(int written, int total)>;

// Builds `output` from the image files `frames` (full paths, in order):
// each is decoded, stretched to width × height, turned into the rows of a
// 24-bit bitmap in memory (the bytes a bitmap file of it would hold) and
// written as one frame at `rate` frames per second (clamped to 1 … 30). An
// output that is one of the frames gives OutputIsFrame. `reason`, when
// given, receives a short English reason for a failure when one is known
// (the frame that could not be read, why the file could not be written). The compressor is asked for once the first
// frame is ready. An empty list, and an output size that is not
// FrameSizeAllowed, give LoadFailed. `progress`, when given, follows the
// frames and can stop the creation (Stopped).
AviOutcome CreateAviFile(const std::vector<std::string>& frames, const std::string& output,
                         int width, int height, int rate,
                         const CompressorChooser& chooseCompressor, std::string* reason = nullptr,
                         const AviProgress& progress = {});

}  // namespace fennix
