#include "media/WmfImage.h"

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <iterator>
#include <vector>

extern "C" {
#include <libwmf/api.h>
#include <libwmf/gd.h>
}

namespace fennix {
namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qint64 kPlaceableBytes = 22;
constexpr qint64 kHeaderBytes = 18;
// Metafiles are small; anything bigger than this is not worth reading.
constexpr qint64 kMaxFileBytes = qint64{256} << 20;

// Record functions that set up the mapping from the file's own (logical)
// coordinates to the player's device coordinates.
constexpr unsigned kSetMapMode = 0x0103;
constexpr unsigned kSetWindowOrg = 0x020B;
constexpr unsigned kSetWindowExt = 0x020C;
constexpr unsigned kSetViewportOrg = 0x020D;
constexpr unsigned kSetViewportExt = 0x020E;
constexpr unsigned kCreateFontIndirect = 0x02FB;
// Records that carry a device-independent bitmap.
constexpr unsigned kDibCreatePatternBrush = 0x0142;
constexpr unsigned kDibBitBlt = 0x0940;
constexpr unsigned kDibStretchBlt = 0x0B41;
constexpr unsigned kSetDibToDev = 0x0D33;
constexpr unsigned kStretchDib = 0x0F43;
// The most pixels a bitmap inside a metafile may have.
constexpr qint64 kMaxBitmapPixels = qint64{1} << 26;
// The largest text libwmf is asked to draw, in pixels.
constexpr double kMaxTextPixels = 512;
// The height, in pixels, of text whose font states none.
constexpr double kDefaultTextPixels = 12;

// Mapping modes the player knows.
enum MapMode {
    kText = 1,
    kLoMetric,
    kHiMetric,
    kLoEnglish,
    kHiEnglish,
    kTwips,
    kIsotropic,
    kAnisotropic,
    kPlaceableUnits = 100,  // the player's own mode for a placeable file
};

quint16 Word(const QByteArray& b, qint64 at) {
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}
qint16 SignedWord(const QByteArray& b, qint64 at) {
    return qint16(Word(b, at));
}
quint32 DoubleWord(const QByteArray& b, qint64 at) {
    return Word(b, at) | (quint32(Word(b, at + 2)) << 16);
}

// Where the bitmap starts in the parameters of a record of `words` words
// that carries one; -1 for other records (the blits without a bitmap are
// one word shorter than those with one).
qint64 BitmapOffset(unsigned function, qint64 words) {
    switch (function) {
        case kDibCreatePatternBrush:
            return 4;
        case kDibBitBlt:
            return words > 12 ? 16 : -1;
        case kDibStretchBlt:
            return words > 14 ? 20 : -1;
        case kSetDibToDev:
            return 18;
        case kStretchDib:
            return 22;
    }
    return -1;
}

// libwmf allocates a bitmap by the size its header states before reading
// its pixels. True when the bitmap at `at` in a record that ends at `end`
// is as large as the record can hold: its header lies in the record, its
// sides are 1 … kMaxWmfSide with at most kMaxBitmapPixels pixels of a
// known depth (1, 4, 8, 16, 24 or 32 bits), and the colour table it states
// and its uncompressed rows all lie in the record (only `storedRows` rows
// when the record holds a band of the bitmap).
bool BitmapFits(const QByteArray& data, qint64 at, qint64 end, qint64 storedRows) {
    if (end - at < 12) return false;
    const qint64 headerBytes = DoubleWord(data, at);
    qint64 width, height;
    unsigned bitCount;
    quint32 compression = 0;
    qint64 colours = 0;       // entries of the colour table, each 2 bytes at least
    if (headerBytes == 12) {  // the old core header: 16-bit sizes
        width = Word(data, at + 4);
        height = Word(data, at + 6);
        bitCount = Word(data, at + 10);
    } else {
        if (headerBytes < 40 || end - at < headerBytes) return false;
        width = qint32(DoubleWord(data, at + 4));
        height = std::abs(qint64{qint32(DoubleWord(data, at + 8))});
        bitCount = Word(data, at + 14);
        compression = DoubleWord(data, at + 16);
        colours = DoubleWord(data, at + 32);
    }
    if (colours * 2 > end - at - headerBytes) return false;
    if (width < 1 || height < 1 || width > kMaxWmfSide || height > kMaxWmfSide ||
        width * height > kMaxBitmapPixels ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
         bitCount != 32))
        return false;
    if (compression != 0 && compression != 3) return true;  // compressed rows vary in length
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    return stride * std::min(height, storedRows) <= end - at - headerBytes;
}

// Follows libwmf's player through the mapping records, so the picture frame
// can be given to the gd device in the device coordinates the drawing uses.
struct Mapping {
    int mode = kText;
    int inch = 1440;
    double fixedX = 1, fixedY = 1;  // device units per logical unit in fixed modes
    double windowX = 0, windowY = 0, windowW = 0, windowH = 0;
    double viewX = 0, viewY = 0, viewW = 1024, viewH = 1024;

    bool Scaled() const { return mode == kIsotropic || mode == kAnisotropic; }
    double UnitX() const {
        if (Scaled()) return windowW != 0 ? viewW / windowW : 0;
        return windowW < 0 ? -fixedX : fixedX;
    }
    double UnitY() const {
        if (Scaled()) return windowH != 0 ? viewH / windowH : 0;
        return windowH < 0 ? -fixedY : fixedY;
    }
    void SetMode(int m, bool placeable) {
        static const double kPoints[] = {0, 1, 7.2 / 25.4, 0.72 / 25.4, 0.72, 0.072, 0.05};
        if (m >= kText && m <= kTwips) {
            fixedX = fixedY = kPoints[m];
        } else if (m != kIsotropic && m != kAnisotropic) {
            if (!placeable) return;  // the player gives up on such a file anyway
            m = kPlaceableUnits;
            fixedX = fixedY = 72.0 / inch;
        }
        mode = m;
    }
    QPointF Device(double x, double y) const {
        return {(x - windowX) * UnitX() - viewX, (y - windowY) * UnitY() - viewY};
    }
};

// What the look ahead of libwmf finds: the picture's size in pixels, its
// frame in device coordinates when the file gives one, and what is needed to
// keep text within a size libwmf can draw.
struct Layout {
    QSize pixels;
    std::optional<QRectF> frame;
    double fallbackScale = 1;   // pixels per device unit when the frame is the drawing's extent
    double largestUnit = 0;     // the most device units any logical unit becomes
    std::vector<qint64> fonts;  // where the parameters of each font record start
};

int Side(double pixels) {
    return int(std::lround(std::abs(pixels)));
}

// Reads the headers and follows the mapping records through the file; the
// picture's size is its render size (WmfRenderSize). Nothing when the bytes
// are not a metafile, its size is zero or absurd (`refused` is then set to
// TooLarge for a side above kMaxWmfSide), a bitmap in it is larger than its
// record holds, or it has more than kWmfRecordBudget records (`refused`:
// TooComplex).
std::optional<Layout> ReadLayout(const QByteArray& data, ImageFailure& refused) {
    qint64 start = 0;
    const bool placeable = data.size() >= kPlaceableBytes && DoubleWord(data, 0) == kPlaceableKey;
    Mapping map;
    if (placeable) {
        map.inch = Word(data, 14);
        if (map.inch == 0) return std::nullopt;
        map.SetMode(kPlaceableUnits, true);
        start = kPlaceableBytes;
    }
    if (data.size() < start + kHeaderBytes) return std::nullopt;
    const quint16 type = Word(data, start), headerWords = Word(data, start + 2);
    if ((type != 1 && type != 2) || headerWords != 9) return std::nullopt;
    // libwmf allocates a buffer of the largest record the header states
    // before it reads a record; no record can be larger than the file.
    if (qint64{DoubleWord(data, start + 12)} * 2 > data.size() - start) return std::nullopt;

    Layout layout;
    layout.largestUnit = std::max(std::abs(map.UnitX()), std::abs(map.UnitY()));
    // The first run of set-up records that gives the window its extent
    // decides the frame.
    std::optional<Mapping> frameMap;
    bool haveExtent = false;
    int64_t records = 0;
    for (qint64 at = start + kHeaderBytes; at + 6 <= data.size();) {
        const qint64 words = DoubleWord(data, at);
        const unsigned function = Word(data, at + 4);
        if (words < 3 || (words == 3 && function == 0) || at + words * 2 > data.size()) break;
        if (++records > kWmfRecordBudget) {
            refused = ImageFailure::TooComplex;
            return std::nullopt;
        }
        const qint64 p = at + 6;
        at += words * 2;
        if (function == kCreateFontIndirect && words >= 5) layout.fonts.push_back(p);
        // SetDibToDev holds only its scan count of rows.
        const qint64 rows =
            function == kSetDibToDev && p + 4 <= at ? Word(data, p + 2) : kMaxWmfSide;
        if (const qint64 offset = BitmapOffset(function, words);
            offset >= 0 && !BitmapFits(data, p + offset, at, rows))
            return std::nullopt;
        const bool mapping = function == kSetMapMode || function == kSetWindowOrg ||
                             function == kSetWindowExt || function == kSetViewportOrg ||
                             function == kSetViewportExt;
        if (!mapping) {
            if (haveExtent && !frameMap) frameMap = map;
            continue;
        }
        if (words < (function == kSetMapMode ? 4 : 5)) continue;
        const double second = function == kSetMapMode ? 0 : SignedWord(data, p + 2);
        const double first = SignedWord(data, p);
        switch (function) {
            case kSetMapMode:
                map.SetMode(Word(data, p), placeable);
                break;
            case kSetWindowOrg:
                map.windowX = second;
                map.windowY = first;
                break;
            case kSetWindowExt:
                map.windowW = second;
                map.windowH = first;
                haveExtent = true;
                break;
            case kSetViewportOrg:
                map.viewX = second * (map.Scaled() ? map.UnitX() : map.fixedX);
                map.viewY = first * (map.Scaled() ? map.UnitY() : map.fixedY);
                break;
            case kSetViewportExt:
                map.viewW = second;
                map.viewH = first;
                break;
        }
        layout.largestUnit =
            std::max({layout.largestUnit, std::abs(map.UnitX()), std::abs(map.UnitY())});
    }
    if (!frameMap) frameMap = map;

    QPointF a, b;
    if (placeable) {
        const double left = SignedWord(data, 6), top = SignedWord(data, 8);
        const double right = SignedWord(data, 10), bottom = SignedWord(data, 12);
        layout.pixels =
            QSize(Side((right - left) * 96.0 / map.inch), Side((bottom - top) * 96.0 / map.inch));
        a = frameMap->Device(left, top), b = frameMap->Device(right, bottom);
    } else if (haveExtent) {
        const Mapping& m = *frameMap;
        layout.pixels = QSize(Side(m.windowW), Side(m.windowH));
        a = m.Device(m.windowX, m.windowY);
        b = m.Device(m.windowX + m.windowW, m.windowY + m.windowH);
    } else {
        // No frame of its own: the picture is as large as what it draws.
        layout.fallbackScale = map.mode == kText ? 1.0 : 96.0 / 72.0;
        return layout;
    }
    if (layout.pixels.isEmpty()) return std::nullopt;
    if (layout.pixels.width() > kMaxWmfSide || layout.pixels.height() > kMaxWmfSide) {
        refused = ImageFailure::TooLarge;
        return std::nullopt;
    }
    layout.pixels = WmfRenderSize(layout.pixels);
    const QRectF frame = QRectF(a, b).normalized();
    if (!(frame.width() > 0) || !(frame.height() > 0)) return std::nullopt;
    layout.frame = frame;
    return layout;
}

// libwmf's gd device crashes on glyphs about a thousand pixels high or wide,
// and never finishes drawing text whose font height is 0 (a metafile's way
// of asking for the default size). Text is not worth losing the picture
// over: fonts are shrunk, in place, to at most kMaxTextPixels however the
// file's mapping changes along the way, and a height of 0 becomes a
// character height of kDefaultTextPixels.
void LimitFonts(QByteArray& data, const Layout& layout) {
    const double pixelsPerUnit =
        layout.largestUnit * std::max(layout.pixels.width() / layout.frame->width(),
                                      layout.pixels.height() / layout.frame->height());
    const bool known = pixelsPerUnit > 0;  // otherwise only heights of 0 change
    const int largest =
        known ? int(std::clamp(std::floor(kMaxTextPixels / pixelsPerUnit), 1.0, 32767.0)) : 0;
    const int standard =
        known
            ? int(std::clamp(std::round(kDefaultTextPixels / pixelsPerUnit), 1.0, double(largest)))
            : 1;
    char* bytes = data.data();  // the very bytes libwmf plays from
    for (qint64 p : layout.fonts) {
        for (qint64 at : {p, p + 2}) {  // height, then width
            const int size = SignedWord(data, at);
            int limited;
            if (at == p && size == 0)
                limited = -standard;
            else if (known && std::abs(size) > largest)
                limited = size < 0 ? -largest : largest;
            else
                continue;
            bytes[at] = char(limited & 0xFF);
            bytes[at + 1] = char((limited >> 8) & 0xFF);
        }
    }
}

// libwmf will not play a metafile, even one without text, unless it can load
// one of the 13 standard PostScript fonts. It looks for them in its own font
// folder; when those files are missing, the standard names are pointed at
// TrueType fonts found in the usual system folders instead.
class FontFallback {
  public:
    static const FontFallback& Get() {
        static const FontFallback fallback;
        return fallback;
    }
    // Adds the fallback to the options; false when libwmf needs none or
    // none was found.
    bool Apply(wmfAPI_Options& options, unsigned long& flags) const {
        if (mappings_.size() <= 1) return false;
        options.fontdirs = const_cast<char**>(dirPointers_.data());
        options.font.ps = const_cast<wmfMapping*>(mappings_.data());
        flags |= WMF_OPT_FONTDIRS | WMF_OPT_FONTMAP;
        return true;
    }

  private:
    FontFallback() {
        if (QFileInfo::exists("/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1")) return;
        // Each family in the order regular, bold, italic, bold italic, with
        // the Liberation and DejaVu file names standing in for it.
        struct Style {
            const char* name;
            const char* liberation;
            const char* dejavu;
        };
        static const Style kStyles[] = {
            {"Helvetica", "Sans-Regular", "Sans"},
            {"Helvetica-Bold", "Sans-Bold", "Sans-Bold"},
            {"Helvetica-Oblique", "Sans-Italic", "Sans-Oblique"},
            {"Helvetica-BoldOblique", "Sans-BoldItalic", "Sans-BoldOblique"},
            {"Times-Roman", "Serif-Regular", "Serif"},
            {"Times-Bold", "Serif-Bold", "Serif-Bold"},
            {"Times-Italic", "Serif-Italic", "Serif-Italic"},
            {"Times-BoldItalic", "Serif-BoldItalic", "Serif-BoldItalic"},
            {"Courier", "Mono-Regular", "SansMono"},
            {"Courier-Bold", "Mono-Bold", "SansMono-Bold"},
            {"Courier-Oblique", "Mono-Italic", "SansMono-Oblique"},
            {"Courier-BoldOblique", "Mono-BoldItalic", "SansMono-BoldOblique"},
        };
        const auto find = [](const Style& style) -> QString {
            const QString candidates[] = {
                QString("/usr/share/fonts/truetype/liberation2/Liberation%1.ttf")
                    .arg(style.liberation),
                QString("/usr/share/fonts/truetype/liberation/Liberation%1.ttf")
                    .arg(style.liberation),
                QString("/usr/share/fonts/truetype/dejavu/DejaVu%1.ttf").arg(style.dejavu)};
            for (const QString& file : candidates)
                if (QFileInfo::exists(file)) return file;
            return {};
        };
        const QString any = AnyFont();
        std::vector<std::pair<std::string, QString>> chosen;  // PostScript name, file
        for (size_t i = 0; i < std::size(kStyles); ++i) {
            QString file = find(kStyles[i]);
            if (file.isEmpty()) file = find(kStyles[i - i % 4]);  // the family's regular
            if (file.isEmpty()) file = any;
            if (!file.isEmpty()) chosen.emplace_back(kStyles[i].name, file);
        }
        if (chosen.empty()) return;
        chosen.emplace_back("Symbol", chosen.front().second);
        for (const auto& [name, file] : chosen) {
            const QFileInfo info(file);
            const std::string dir = info.absolutePath().toStdString();
            if (std::find(dirs_.begin(), dirs_.end(), dir) == dirs_.end()) dirs_.push_back(dir);
            names_.push_back(name);
            files_.push_back(info.fileName().toStdString());
        }
        for (std::string& dir : dirs_) dirPointers_.push_back(dir.data());
        dirPointers_.push_back(nullptr);
        for (size_t i = 0; i < names_.size(); ++i)
            mappings_.push_back({names_[i].data(), files_[i].data(), FT_ENCODING_UNICODE});
        mappings_.push_back({nullptr, nullptr, FT_ENCODING_NONE});
    }

    // Any TrueType font at all, so that at least pictures without text play.
    static QString AnyFont() {
        QDirIterator it("/usr/share/fonts", {"*.ttf"}, QDir::Files, QDirIterator::Subdirectories);
        return it.hasNext() ? it.next() : QString();
    }

    std::vector<std::string> dirs_, names_, files_;
    std::vector<char*> dirPointers_;
    std::vector<wmfMapping> mappings_;
};

// Ends the libwmf session however the decoding ends.
struct Session {
    wmfAPI* api = nullptr;
    ~Session() {
        if (api) wmf_api_destroy(api);
    }
};

// The rendered picture is read back through QImage, which refuses any
// picture of 32-bit pixels that reaches its allocation limit (in megabytes;
// 0 for none). True when a picture of `size` stays below it.
bool WithinImageLimit(QSize size) {
    const int limit = QImageReader::allocationLimit();
    return limit <= 0 || ((qint64{size.width()} * 4 * size.height()) >> 20) < limit;
}

// The processor time the calling thread has used, in nanoseconds.
int64_t ThreadTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// libwmf asks its status function after each record whether to go on: the
// answer is no once the reading and drawing have used their time.
struct TimeBudget {
    int64_t end = ThreadTime() + int64_t{kWmfTimeBudgetMs} * 1'000'000;
    bool exceeded = false;

    static int Check(void* context, float) {
        auto* budget = static_cast<TimeBudget*>(context);
        if (!budget->exceeded && ThreadTime() > budget->end) budget->exceeded = true;
        return budget->exceeded ? 1 : 0;
    }
};

int CollectPng(void* context, char* buffer, int length) {
    if (length > 0) static_cast<QByteArray*>(context)->append(buffer, length);
    return length;
}

}  // namespace

QSize WmfRenderSize(QSize natural) {
    if (natural.isEmpty()) return natural;
    const int64_t pixels = int64_t{natural.width()} * natural.height();
    if (pixels <= kWmfPixelBudget) return natural;
    // Rounded down, so the product never exceeds the budget.
    const double scale = std::sqrt(double(kWmfPixelBudget) / double(pixels));
    return QSize(std::max(1, int(natural.width() * scale)),
                 std::max(1, int(natural.height() * scale)));
}

std::optional<QImage> LoadWmfImage(const std::string& path, ImageFailure* why) {
    const auto fail = [why](ImageFailure failure) -> std::optional<QImage> {
        if (why) *why = failure;
        return std::nullopt;
    };
    if (why) *why = ImageFailure::None;
    QFile file;
    if (const ImageFailure failure = OpenImageFile(path, file); failure != ImageFailure::None)
        return fail(failure);
    if (file.size() > kMaxFileBytes) return fail(ImageFailure::TooLarge);
    QByteArray data = file.readAll();
    file.close();
    ImageFailure refused = ImageFailure::CannotDecode;
    std::optional<Layout> layout = ReadLayout(data, refused);
    if (!layout) return fail(refused);

    Session session;
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    FontFallback::Get().Apply(options, flags);
    if (wmf_api_create(&session.api, flags, &options) != wmf_E_None || !session.api)
        return fail(ImageFailure::CannotDecode);
    wmfAPI* api = session.api;
    TimeBudget budget;
    wmf_status_function(api, &budget, &TimeBudget::Check);
    wmf_gd_t* gd = WMF_GD_GetData(api);
    if (!(gd->flags & WMF_GD_SUPPORTS_PNG)) return fail(ImageFailure::CannotDecode);
    if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(data.data()), long(data.size())) !=
        wmf_E_None)
        return fail(ImageFailure::CannotDecode);
    wmfD_Rect box{};
    if (wmf_scan(api, 0, &box) != wmf_E_None)
        return fail(budget.exceeded ? ImageFailure::TooComplex : ImageFailure::CannotDecode);

    if (!layout->frame) {
        const QRectF drawn(QPointF(box.TL.x, box.TL.y), QPointF(box.BR.x, box.BR.y));
        const double w = std::ceil(drawn.width() * layout->fallbackScale);
        const double h = std::ceil(drawn.height() * layout->fallbackScale);
        if (!(w >= 1 && h >= 1)) return fail(ImageFailure::CannotDecode);
        if (w > kMaxWmfSide || h > kMaxWmfSide) return fail(ImageFailure::TooLarge);
        layout->pixels = WmfRenderSize(QSize(int(w), int(h)));
        layout->frame = drawn;
    }
    // A picture QImage would refuse is not worth seconds of rendering.
    if (!WithinImageLimit(layout->pixels)) return fail(ImageFailure::TooLarge);
    // libwmf reads the metafile from `data` again while playing.
    LimitFonts(data, *layout);
    gd->type = wmf_gd_png;
    gd->flags |= WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
    QByteArray png;
    gd->sink.context = &png;
    gd->sink.function = CollectPng;
    gd->width = unsigned(layout->pixels.width());
    gd->height = unsigned(layout->pixels.height());
    gd->bbox.TL = {float(layout->frame->left()), float(layout->frame->top())};
    gd->bbox.BR = {float(layout->frame->right()), float(layout->frame->bottom())};
    wmfD_Rect played{};
    if (wmf_play(api, 0, &played) != wmf_E_None || png.isEmpty())
        return fail(budget.exceeded ? ImageFailure::TooComplex : ImageFailure::CannotDecode);

    const QImage image = QImage::fromData(png, "PNG");
    if (image.isNull() || image.size() != layout->pixels) return fail(ImageFailure::CannotDecode);
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace fennix
