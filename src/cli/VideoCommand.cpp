// fennix-morph video: a folder of frames made into an MP4, WebM or GIF.

#include "cli/CommandInputs.h"
#include "cli/Commands.h"
#include "media/VideoExport.h"

namespace fennix::cli {

namespace {

// Reads the options into `options` and `size`; empty text, or what is wrong.
std::string ReadVideoOptions(const Invocation& run, VideoOptions& options,
                             std::optional<QSize>& size) {
    options.PingPong = run.Has("pingpong");
    if (const auto value = run.Value("fps")) {
        const auto rate = CountOption(*value, kVideoRateMin);
        if (!rate || *rate > kVideoRateMax) return "--fps needs a whole number from 1 to 60";
        options.Rate = *rate;
    }
    if (const auto value = run.Value("size")) {
        size = SizeOption(*value);
        if (!size) return "--size needs WxH with whole numbers of at least 1";
    }
    if (const auto value = run.Value("quality")) {
        if (*value == "high")
            options.Quality = VideoQuality::High;
        else if (*value == "normal")
            options.Quality = VideoQuality::Normal;
        else if (*value == "small")
            options.Quality = VideoQuality::Small;
        else
            return "--quality takes high, normal or small";
    }
    const std::string& output = run.Arguments()[1];
    const auto format = VideoFormatOfPath(output);
    if (!format) return "the output " + output + " must end in .mp4, .webm or .gif";
    options.Format = *format;
    return {};
}

int RunVideo(const Invocation& run) {
    VideoOptions options;
    std::optional<QSize> size;
    if (const std::string why = ReadVideoOptions(run, options, size); !why.empty())
        return run.Usage(why);
    const std::string folder = run.Arguments()[0], output = run.Arguments()[1];
    std::vector<std::string> frames;
    const bool sizeGiven = size.has_value();
    if (const std::string failure = ReadFrameFolder(folder, frames, size); !failure.empty())
        return run.Fail(failure);
    if (!sizeGiven) size = DefaultVideoSize(options.Format, *size);
    options.Width = size->width();
    options.Height = size->height();
    if (const std::string failure = OutputOverFrame(output, folder, frames); !failure.empty())
        return run.Fail(failure);
    if (const std::string why = RefuseExistingOutput(output, "video", run.Force()); !why.empty())
        return run.Fail(why);
    RemoveScratchBeside(output);

    ProgressLine line(run.Err(), run.ShowsProgress());
    const VideoResult result = ExportVideo(frames, output, options, [&](int done, int total) {
        line.Show("step", done, total);
        return true;
    });
    line.End();
    switch (result.Outcome) {
        case VideoOutcome::Written:
            return kSuccess;
        case VideoOutcome::LoadFailed:
        case VideoOutcome::OutputIsFrame:
        case VideoOutcome::EncoderMissing:
            return run.Fail(result.Reason);
        default:
            return run.Fail("cannot write the video " + output +
                            (result.Reason.empty() ? "" : " (" + result.Reason + ")"));
    }
}

}  // namespace

const Command& VideoCommand() {
    static const Command command = {
        .name = "video",
        .summary = "makes an MP4, WebM or GIF video of a folder of frames",
        .arguments = "FRAMEDIR OUTPUT",
        .needs = "FRAMEDIR OUTPUT",
        .minArguments = 2,
        .maxArguments = 2,
        .description =
            "Makes a video of every .bmp and .jpg file of FRAMEDIR, in frame order (999 before\n"
            "1000); the folder must hold the frame 000.bmp or 000.jpg. The format follows\n"
            "OUTPUT's extension:\n"
            "  .mp4   H.264 (libx264), yuv420p, index at the front (plays while it loads);\n"
            "         an odd width or height grows by one, repeating the last column or row\n"
            "  .webm  VP9 (libvpx-vp9), yuv420p\n"
            "  .gif   one palette for the whole sequence, dithered, looping for ever\n"
            "By default the video has the first frame's size shrunk, shape kept, to what\n"
            "plays everywhere: MP4 and WebM at most 1920x1080 (either way round, even\n"
            "sides), a GIF at most 640 pixels wide. An existing OUTPUT is replaced only with\n"
            "--force, and never when it is one of the frames.\n",
        .options =
            {
                {"fps", "N", "N frames per second, 1 ... 60 (default 20; a GIF plays at most 50)"},
                {"size", "WxH", "each frame is scaled to WxH"},
                {"quality", "high|normal|small", "the quality (default normal)"},
                {"pingpong", "",
                 "play the frames forward, then backward without repeating the "
                 "first and last, for a seamless loop"},
                ForceOption(),
            },
        .run = RunVideo,
    };
    return command;
}

}  // namespace fennix::cli
