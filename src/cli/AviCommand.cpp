// fennix-morph avi: a folder of frames packed into an AVI video.

#include "cli/CommandInputs.h"
#include "cli/Commands.h"
#include "media/AviFrames.h"
#include "media/AviWriter.h"

namespace fennix::cli {

namespace {

// What the options ask for.
struct AviSettings {
    std::optional<QSize> size;
    int rate = 20;
    std::string codec = "none";
};

// Reads the options into `settings`; empty text, or what is wrong.
std::string ReadAviOptions(const Invocation& run, AviSettings& settings) {
    if (const auto value = run.Value("fps")) {
        const auto number = FieldToInt16(*value);
        if (!number) return "--fps needs a number";
        settings.rate = *number;
    }
    if (const auto value = run.Value("size")) {
        settings.size = SizeOption(*value);
        if (!settings.size) return "--size needs WxH with whole numbers of at least 1";
    }
    settings.codec = run.Value("codec").value_or(settings.codec);
    return {};
}

int RunAvi(const Invocation& run) {
    AviSettings settings;
    if (const std::string why = ReadAviOptions(run, settings); !why.empty()) return run.Usage(why);
    // Which compressors there are depends on the installed FFmpeg.
    if (!FindCompressor(settings.codec))
        return run.Fail("the compressor " + settings.codec + " is not available");

    const std::string folder = run.Arguments()[0], output = run.Arguments()[1];
    std::vector<std::string> frames;
    if (const std::string failure = ReadFrameFolder(folder, frames, settings.size);
        !failure.empty())
        return run.Fail(failure);
    if (const std::string failure = OutputOverFrame(output, folder, frames); !failure.empty())
        return run.Fail(failure);
    if (const std::string why = RefuseExistingOutput(output, "video", run.Force()); !why.empty())
        return run.Fail(why);

    CompressorOptions options;
    options.Name = settings.codec;
    RemoveScratchBeside(output);
    std::string why;
    ProgressLine line(run.Err(), run.ShowsProgress());
    const AviOutcome outcome = CreateAviFile(
        frames, output, settings.size->width(), settings.size->height(), settings.rate,
        [&] { return std::optional<CompressorOptions>(options); }, &why,
        [&](int written, int total) {
            line.Show("frame", written, total);
            return true;
        });
    line.End();
    switch (outcome) {
        case AviOutcome::Written:
            return kSuccess;
        case AviOutcome::LoadFailed:
            return run.Fail(why.empty() ? "cannot read or convert a frame of " + folder : why);
        case AviOutcome::OutputIsFrame:
            return run.Fail("the output " + output + " is one of the frames of " + folder);
        default:
            return run.Fail("cannot write the video " + output + (why.empty() ? "" : ": " + why));
    }
}

}  // namespace

const Command& AviCommand() {
    static const Command command = {
        .name = "avi",
        .summary = "packs a folder of frames into an AVI video",
        .arguments = "FRAMEDIR OUTPUT.avi",
        .needs = "FRAMEDIR OUTPUT.avi",
        .minArguments = 2,
        .maxArguments = 2,
        .description =
            "Packs every .bmp and .jpg file of FRAMEDIR, in frame order (999 before 1000), into\n"
            "an AVI video; the folder must hold the frame 000.bmp or 000.jpg. An existing\n"
            "OUTPUT.avi is replaced only with --force, and never when it is one of the frames.\n",
        .options =
            {
                {"fps", "N", "N frames per second (default 20, kept within 1 ... 30)"},
                {"size", "WxH",
                 "each frame is stretched to WxH (default: the size of the first "
                 "frame)"},
                {"codec", "NAME",
                 "the compressor: none (uncompressed, the default), msvideo1, "
                 "cinepak, mjpeg, mpeg4, h264, huffyuv, utvideo or ffv1, as far as "
                 "the installed FFmpeg provides them"},
                ForceOption(),
            },
        .run = RunAvi,
    };
    return command;
}

}  // namespace fennix::cli
