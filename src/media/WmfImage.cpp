#include "media/WmfImage.h"

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <iterator>
#include <limits>
#include <vector>

extern "C" {
#include <libwmf/api.h>
#include <libwmf/defs.h>
#include <libwmf/gd.h>
#include <libwmf/ipa.h>
#include <libwmf/macro.h>
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
// picture's size is its render size (WmfRenderSize within `limits`).
// Nothing when the bytes are not a metafile, its size is zero or absurd
// (`refused` is then set to TooLarge for a side above kMaxWmfSide), a bitmap
// in it is larger than its record holds, or it has more records than
// `limits` allow (`refused`: TooComplex).
std::optional<Layout> ReadLayout(const QByteArray& data, const WmfLimits& limits,
                                 ImageFailure& refused) {
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
        if (++records > limits.records) {
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
    layout.pixels = WmfRenderSize(layout.pixels, limits.pixels);
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

// The drawing work libwmf's gd painter is asked for, weighed call by call
// before the call is made. The painter (the gd copy inside libwmf) clips
// nothing: a fill loops over every pixel of its shape, inside the picture
// or not; a line of a pen wider than a pixel stamps the whole pen at every
// step; pattern and hatch fills fetch a pattern pixel per pixel; each clip
// rectangle is tested for each pixel set. The weights follow those loops, in
// units of about one pixel set.
class DrawingWork {
  public:
    explicit DrawingWork(int64_t budget) : budget_(budget) {}

    static DrawingWork& Of(wmfAPI* api) { return *static_cast<DrawingWork*>(api->user_data); }

    // Puts the counting calls in front of the painter's own.
    void Install(wmfAPI* api) {
        api->user_data = this;
        auto* calls = static_cast<wmfFunctionReference*>(api->function_reference);
        painter_ = *calls;
        calls->device_begin = &DeviceBegin;
        calls->flood_interior = &FloodInterior;
        calls->flood_exterior = &FloodExterior;
        calls->draw_pixel = &DrawPixel;
        calls->draw_pie = &DrawPie;
        calls->draw_chord = &DrawChord;
        calls->draw_arc = &DrawArc;
        calls->draw_ellipse = &DrawEllipse;
        calls->draw_line = &DrawLine;
        calls->poly_line = &PolyLine;
        calls->draw_polygon = &DrawPolygon;
        if (calls->draw_polypolygon) calls->draw_polypolygon = &DrawPolyPolygon;
        calls->draw_rectangle = &DrawRectangle;
        calls->rop_draw = &RopDraw;
        calls->bmp_draw = &BmpDraw;
        calls->bmp_read = &BmpRead;
        calls->draw_text = &DrawText;
        calls->region_frame = &RegionFrame;
        calls->region_paint = &RegionPaint;
        calls->region_clip = &RegionClip;
    }

    int64_t Done() const { return done_; }
    bool Exceeded() const { return exceeded_; }

  private:
    // A cost too large to be paid: a coordinate far outside any picture, a
    // loop the painter would run with a wrapped count.
    static constexpr int64_t kHuge = std::numeric_limits<int64_t>::max() / 4;
    // Pixel coordinates beyond this are refused: the painter's int
    // arithmetic on them could overflow.
    static constexpr int64_t kFarthest = int64_t{1} << 29;
    // Polygons whose rows × edges stay within this are followed row by row
    // to count the pixels they fill; larger ones count their bounding box.
    static constexpr int64_t kTraceablePolygon = int64_t{1} << 24;

    static int64_t Add(int64_t a, int64_t b) { return std::min(kHuge, a + b); }
    static int64_t Mul(int64_t a, int64_t b) {
        if (a <= 0 || b <= 0) return 0;
        return a > kHuge / b ? kHuge : a * b;
    }

    // Pays `cost` when the budget allows; otherwise the call is not made
    // and the player is stopped.
    bool Pay(wmfAPI* api, int64_t cost) {
        if (exceeded_ || cost > budget_ - done_) {
            exceeded_ = true;
            api->err = wmf_E_UserExit;
            return false;
        }
        done_ += cost;
        return true;
    }

    // Where the painter puts a device point: its own translation, floor of
    // the point's place in the frame times the picture's size.
    struct Pixel {
        int64_t x = 0, y = 0;
    };
    bool ToPixel(wmfAPI* api, wmfD_Coord d, Pixel& p) const {
        const wmf_gd_t* gd = WMF_GD_GetData(api);
        if (gd->width == 0 || gd->height == 0) return false;  // no picture to draw on
        const double x = (double(d.x) - double(gd->bbox.TL.x)) /
                         (double(gd->bbox.BR.x) - double(gd->bbox.TL.x)) * double(gd->width);
        const double y = (double(d.y) - double(gd->bbox.TL.y)) /
                         (double(gd->bbox.BR.y) - double(gd->bbox.TL.y)) * double(gd->height);
        if (!(std::abs(x) < double(kFarthest)) || !(std::abs(y) < double(kFarthest))) return false;
        p = {int64_t(std::floor(x)), int64_t(std::floor(y))};
        return true;
    }
    // A length in device units as pixels across and down.
    static double PixelsAcross(wmfAPI* api, double units) {
        const wmf_gd_t* gd = WMF_GD_GetData(api);
        return units * double(gd->width) / (double(gd->bbox.BR.x) - double(gd->bbox.TL.x));
    }
    static double PixelsDown(wmfAPI* api, double units) {
        const wmf_gd_t* gd = WMF_GD_GetData(api);
        return units * double(gd->height) / (double(gd->bbox.BR.y) - double(gd->bbox.TL.y));
    }
    static int64_t Picture(wmfAPI* api) {
        const wmf_gd_t* gd = WMF_GD_GetData(api);
        return int64_t{gd->width} * gd->height;
    }

    // Each pixel set tests the clip rectangles in force.
    int64_t Pixels(int64_t count) const { return Mul(count, 2 + clipRects_) / 2; }

    // A filled box from (x1, y1) to (x2, y2), both included.
    static int64_t Box(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
        return Mul(x2 - x1 + 1, y2 - y1 + 1);
    }
    // The steps of a line: one per pixel along its longer axis.
    static int64_t Steps(Pixel a, Pixel b) {
        return std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)) + 1;
    }

    // What drawing with the pen costs: its set-up (a pen wider than a pixel
    // is an image the painter fills twice each time) and each step.
    struct Pen {
        int64_t setup = 0, step = 1;
    };
    Pen PenOf(wmfAPI* api, wmfDC* dc) const {
        const wmfPen* pen = WMF_DC_PEN(dc);
        const double w = std::ceil(PixelsAcross(api, WMF_PEN_WIDTH(pen)));
        const double h = std::ceil(PixelsDown(api, WMF_PEN_HEIGHT(pen)));
        if (!(w < double(kFarthest)) || !(h < double(kFarthest))) return {kHuge, kHuge};
        const int64_t pw = std::max<int64_t>(1, int64_t(w)), ph = std::max<int64_t>(1, int64_t(h));
        if (pw == 1 && ph == 1) return {0, Pixels(1)};
        return {Mul(3, Box(0, 0, pw, ph)), Pixels(Mul(2, pw * ph))};
    }
    // What filling with the brush costs: its set-up (a pattern is copied
    // pixel by pixel each time) and each pixel.
    struct Brush {
        int64_t setup = 0, pixel = 1;
    };
    Brush BrushOf(wmfDC* dc) const {
        const wmfBrush* brush = WMF_DC_BRUSH(dc);
        switch (WMF_BRUSH_STYLE(brush)) {
            case BS_SOLID:
                return {0, Pixels(1)};
            case BS_DIBPATTERN: {
                const wmfBMP* bmp = &brush->bmp;
                return {Mul(3, int64_t{bmp->width} * bmp->height), Pixels(3)};
            }
            default:  // hatches, and the styles drawn as hatches or solid
                return {64, Pixels(3)};
        }
    }

    // The pixels the painter's polygon fill visits for `points`: each row
    // from the lowest to the highest point tests every edge, sorts the
    // crossings and fills between pairs of them.
    static int64_t PolygonFill(const std::vector<Pixel>& points) {
        const int64_t n = int64_t(points.size());
        if (n == 0) return 0;
        int64_t minY = points[0].y, maxY = points[0].y, minX = points[0].x, maxX = points[0].x;
        for (const Pixel& p : points) {
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        }
        const int64_t rows = maxY - minY + 1, width = maxX - minX + 1;
        // The crossings are found in int arithmetic, rows times width at
        // most; beyond 2^31 they could wrap to anywhere.
        if (Mul(rows, width) >= (int64_t{1} << 31)) return kHuge;
        const int64_t edges = Mul(rows, n);
        if (edges > kTraceablePolygon) return Add(edges, Mul(rows, width + n));
        int64_t cost = edges;
        std::vector<int64_t> crossings;
        crossings.reserve(size_t(n));
        for (int64_t y = minY; y <= maxY; ++y) {
            crossings.clear();
            for (int64_t i = 0; i < n; ++i) {
                const Pixel& a = points[size_t(i == 0 ? n - 1 : i - 1)];
                const Pixel& b = points[size_t(i)];
                if (a.y == b.y) continue;
                const Pixel& low = a.y < b.y ? a : b;
                const Pixel& high = a.y < b.y ? b : a;
                if ((y >= low.y && y < high.y) || (y == maxY && y > low.y && y <= high.y))
                    crossings.push_back((y - low.y) * (high.x - low.x) / (high.y - low.y) + low.x);
            }
            if (crossings.size() % 2) return kHuge;  // the painter would read past its list
            std::sort(crossings.begin(), crossings.end());
            for (size_t i = 0; i < crossings.size(); i += 2)
                cost = Add(cost, crossings[i + 1] - crossings[i] + 1);
        }
        return cost;
    }

    bool Points(wmfAPI* api, const wmfD_Coord* in, int64_t count, std::vector<Pixel>& out) const {
        out.resize(size_t(count));
        for (int64_t i = 0; i < count; ++i)
            if (!ToPixel(api, in[i], out[size_t(i)])) return false;
        return true;
    }

    // A polyline's or polygon's outline: each segment a line of the pen.
    int64_t Outline(wmfAPI* api, wmfDC* dc, const std::vector<Pixel>& points, bool closed) const {
        if (points.size() < 2) return 0;
        const Pen pen = PenOf(api, dc);
        int64_t steps = 0;
        for (size_t i = 1; i < points.size(); ++i)
            steps = Add(steps, Steps(points[i - 1], points[i]));
        if (closed) steps = Add(steps, Steps(points.back(), points.front()));
        return Add(pen.setup, Mul(steps, pen.step));
    }
    int64_t Fill(wmfDC* dc, int64_t pixels) const {
        const Brush brush = BrushOf(dc);
        return Add(brush.setup, Mul(pixels, brush.pixel));
    }
    int64_t PolygonCost(wmfAPI* api, wmfPolyLine_t* polygon) const {
        if (polygon->count < 3) return 1;
        std::vector<Pixel> points;
        if (!Points(api, polygon->pt, polygon->count, points)) return kHuge;
        int64_t cost = 1;
        if (TO_FILL(polygon)) cost = Add(cost, Fill(polygon->dc, PolygonFill(points)));
        if (TO_DRAW(polygon)) cost = Add(cost, Outline(api, polygon->dc, points, true));
        return cost;
    }

    // The painter draws arcs, pies, chords and ellipses through points on
    // the ellipse a degree apart, filled as triangles to the centre and
    // outlined as lines between them; a pie adds two radii and a chord its
    // closing line, to the ends the player gives.
    enum class Arc { Open, Pie, Chord, Ellipse };
    int64_t ArcCost(wmfAPI* api, wmfDrawArc_t* arc, Arc kind) const {
        // An ellipse has no ends: the player leaves them unset.
        Pixel tl, br, start, end;
        if (!ToPixel(api, arc->TL, tl) || !ToPixel(api, arc->BR, br) ||
            (kind != Arc::Ellipse &&
             (!ToPixel(api, arc->start, start) || !ToPixel(api, arc->end, end))))
            return kHuge;
        const int64_t w = std::abs(br.x - tl.x), h = std::abs(br.y - tl.y);
        const Pixel centre{(br.x + tl.x) / 2, (br.y + tl.y) / 2};
        start = {start.x + centre.x, start.y + centre.y};
        end = {end.x + centre.x, end.y + centre.y};
        int64_t cost = 1;
        if (kind != Arc::Open && TO_FILL(arc)) {
            // At most 361 triangles, each over the rows from the centre to
            // the ellipse.
            const int64_t rows = h / 2 + 2;
            cost = Add(cost, Fill(arc->dc, Add(Box(0, 0, w, h), Mul(361, Mul(rows, 5)))));
        }
        if (TO_DRAW(arc)) {
            // Around the ellipse the steps add up to at most twice its width
            // and height, one more per degree.
            const Pen pen = PenOf(api, arc->dc);
            int64_t steps = 2 * (w + h) + 361;
            if (kind == Arc::Pie) steps = Add(steps, Add(Steps(end, centre), Steps(centre, start)));
            if (kind == Arc::Chord) steps = Add(steps, Steps(end, start));
            cost = Add(cost, Add(pen.setup, Mul(steps, pen.step)));
        }
        return cost;
    }

    // The counting calls.
    static void DeviceBegin(wmfAPI* api) {
        DrawingWork& work = Of(api);
        // The picture is allocated, cleared and filled white.
        if (work.Pay(api, Mul(2, Picture(api)))) work.painter_.device_begin(api);
    }
    static void FloodInterior(wmfAPI* api, wmfFlood_t* flood) {
        DrawingWork& work = Of(api);
        // A flood fill tests every pixel it reaches and its neighbours above
        // and below; it reaches the whole picture at most.
        if (work.Pay(api, work.Pixels(Mul(4, Picture(api)))))
            work.painter_.flood_interior(api, flood);
    }
    static void FloodExterior(wmfAPI* api, wmfFlood_t* flood) {
        DrawingWork& work = Of(api);
        if (work.Pay(api, work.Pixels(Mul(4, Picture(api)))))
            work.painter_.flood_exterior(api, flood);
    }
    static void DrawPixel(wmfAPI* api, wmfDrawPixel_t* pixel) {
        DrawingWork& work = Of(api);
        if (work.Pay(api, work.Pixels(1))) work.painter_.draw_pixel(api, pixel);
    }
    static void DrawPie(wmfAPI* api, wmfDrawArc_t* arc) {
        DrawingWork& work = Of(api);
        if (work.Pay(api, work.ArcCost(api, arc, Arc::Pie))) work.painter_.draw_pie(api, arc);
    }
    static void DrawChord(wmfAPI* api, wmfDrawArc_t* arc) {
        DrawingWork& work = Of(api);
        if (work.Pay(api, work.ArcCost(api, arc, Arc::Chord))) work.painter_.draw_chord(api, arc);
    }
    static void DrawArc(wmfAPI* api, wmfDrawArc_t* arc) {
        DrawingWork& work = Of(api);
        if (work.Pay(api, work.ArcCost(api, arc, Arc::Open))) work.painter_.draw_arc(api, arc);
    }
    static void DrawEllipse(wmfAPI* api, wmfDrawArc_t* arc) {
        DrawingWork& work = Of(api);
        if (work.Pay(api, work.ArcCost(api, arc, Arc::Ellipse)))
            work.painter_.draw_ellipse(api, arc);
    }
    static void DrawLine(wmfAPI* api, wmfDrawLine_t* line) {
        DrawingWork& work = Of(api);
        int64_t cost = 1;
        Pixel from, to;
        if (!work.ToPixel(api, line->from, from) || !work.ToPixel(api, line->to, to))
            cost = kHuge;
        else if (TO_DRAW(line))
            cost = work.Outline(api, line->dc, {from, to}, false);
        if (work.Pay(api, cost)) work.painter_.draw_line(api, line);
    }
    static void PolyLine(wmfAPI* api, wmfPolyLine_t* line) {
        DrawingWork& work = Of(api);
        int64_t cost = 1;
        std::vector<Pixel> points;
        if (!work.Points(api, line->pt, line->count, points))
            cost = kHuge;
        else if (TO_DRAW(line))
            cost = Add(cost, work.Outline(api, line->dc, points, false));
        if (work.Pay(api, cost)) work.painter_.poly_line(api, line);
    }
    static void DrawPolygon(wmfAPI* api, wmfPolyLine_t* polygon) {
        DrawingWork& work = Of(api);
        if (work.Pay(api, work.PolygonCost(api, polygon))) work.painter_.draw_polygon(api, polygon);
    }
    static void DrawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* polygons) {
        DrawingWork& work = Of(api);
        int64_t cost = 1;
        for (U16 i = 0; i < polygons->npoly; ++i) {
            wmfPolyLine_t one{polygons->dc, polygons->pt[i], polygons->count[i]};
            cost = Add(cost, work.PolygonCost(api, &one));
        }
        if (work.Pay(api, cost)) work.painter_.draw_polypolygon(api, polygons);
    }
    static void DrawRectangle(wmfAPI* api, wmfDrawRectangle_t* rect) {
        DrawingWork& work = Of(api);
        int64_t cost = 1;
        Pixel tl, br;
        if (!work.ToPixel(api, rect->TL, tl) || !work.ToPixel(api, rect->BR, br)) {
            cost = kHuge;
        } else {
            if (TO_FILL(rect)) cost = Add(cost, work.Fill(rect->dc, Box(tl.x, tl.y, br.x, br.y)));
            if (TO_DRAW(rect))
                cost = Add(cost,
                           work.Outline(api, rect->dc, {tl, {br.x, tl.y}, br, {tl.x, br.y}}, true));
        }
        if (work.Pay(api, cost)) work.painter_.draw_rectangle(api, rect);
    }
    static void RopDraw(wmfAPI* api, wmfROP_Draw_t* rop) {
        DrawingWork& work = Of(api);
        if (work.Pay(api, 1)) work.painter_.rop_draw(api, rop);
    }
    static void BmpDraw(wmfAPI* api, wmfBMP_Draw_t* bmp) {
        DrawingWork& work = Of(api);
        // The painter samples the bitmap once for every pixel of its
        // destination, one more across and down; a size below -1 would be
        // a loop count wrapped to billions.
        const double w = std::ceil(1.0 + PixelsAcross(api, double(bmp->crop.w) * bmp->pixel_width));
        const double h = std::ceil(1.0 + PixelsDown(api, double(bmp->crop.h) * bmp->pixel_height));
        int64_t cost = kHuge;
        if (w > -1 && h > -1 && w < double(kFarthest) && h < double(kFarthest))
            cost = Add(1, work.Pixels(Mul(6, Mul(std::max<int64_t>(0, int64_t(w)),
                                                 std::max<int64_t>(0, int64_t(h))))));
        if (work.Pay(api, cost)) work.painter_.bmp_draw(api, bmp);
    }
    static void BmpRead(wmfAPI* api, wmfBMP_Read_t* read) {
        DrawingWork& work = Of(api);
        // Decoding a bitmap writes each of its pixels; its header gives
        // their number (checked against the record by BitmapFits).
        int64_t pixels = 0;
        if (read->buffer && read->length >= 12) {
            const auto* b = read->buffer;
            const auto word = [b](int at) { return int64_t{b[at]} | (int64_t{b[at + 1]} << 8); };
            const int64_t header = word(0) | (word(2) << 16);
            if (header == 12) {
                pixels = word(4) * word(6);
            } else if (read->length >= 16) {
                const int32_t w = int32_t(uint32_t(word(4) | (word(6) << 16)));
                const int32_t h = int32_t(uint32_t(word(8) | (word(10) << 16)));
                pixels = Mul(std::abs(int64_t{w}), std::abs(int64_t{h}));
            }
        }
        if (work.Pay(api, Add(1, Mul(2, pixels)))) work.painter_.bmp_read(api, read);
    }
    static void DrawText(wmfAPI* api, wmfDrawText_t* text) {
        DrawingWork& work = Of(api);
        int64_t cost = 1;
        if (WMF_DC_OPAQUE(text->dc) && text->bbox.BR.x > text->bbox.TL.x) {
            // The background box, once for the string and once more across
            // its characters.
            std::vector<Pixel> box(4);
            if (!work.ToPixel(api, text->bbox.TL, box[0]) ||
                !work.ToPixel(api, text->bbox.TR, box[1]) ||
                !work.ToPixel(api, text->bbox.BR, box[2]) ||
                !work.ToPixel(api, text->bbox.BL, box[3]))
                cost = kHuge;
            else
                cost = Add(cost, work.Pixels(Mul(2, PolygonFill(box))));
        }
        // Each character is rendered and drawn at the font's size.
        const double h = std::abs(PixelsDown(api, text->font_height)) + 1;
        const double w = std::abs(PixelsAcross(api, text->font_height * text->font_ratio)) + 1;
        if (!(h < double(kFarthest)) || !(w < double(kFarthest))) {
            cost = kHuge;
        } else {
            const int64_t glyph = Add(Mul(int64_t(h), int64_t(w)), int64_t(h + w));
            cost = Add(cost, work.Pixels(Mul(Mul(2, glyph),
                                             int64_t(text->str ? std::strlen(text->str) : 0))));
        }
        if (work.Pay(api, cost)) work.painter_.draw_text(api, text);
    }
    static void RegionFrame(wmfAPI* api, wmfPolyRectangle_t* rects) {
        DrawingWork& work = Of(api);
        // Four filled boxes of the border's width around each rectangle.
        const double bw = PixelsAcross(api, rects->width), bh = PixelsDown(api, rects->height);
        int64_t cost = 1;
        if (!(std::abs(bw) < double(kFarthest)) || !(std::abs(bh) < double(kFarthest))) {
            cost = kHuge;
        } else {
            const int64_t w = std::max<int64_t>(1, int64_t(bw)),
                          h = std::max<int64_t>(1, int64_t(bh));
            for (unsigned i = 0; i < rects->count && cost < kHuge; ++i) {
                Pixel tl, br;
                if (!work.ToPixel(api, rects->TL[i], tl) || !work.ToPixel(api, rects->BR[i], br)) {
                    cost = kHuge;
                    break;
                }
                const int64_t area = Add(
                    Add(Box(tl.x - w, tl.y - h, tl.x, br.y), Box(tl.x - w, br.y, br.x, br.y + h)),
                    Add(Box(tl.x, tl.y - h, br.x + w, tl.y), Box(br.x, tl.y, br.x + w, br.y + h)));
                cost = Add(cost, work.Pixels(area));
            }
        }
        if (work.Pay(api, cost)) work.painter_.region_frame(api, rects);
    }
    static void RegionPaint(wmfAPI* api, wmfPolyRectangle_t* rects) {
        DrawingWork& work = Of(api);
        int64_t cost = 1;
        if (rects->count > 0 && TO_FILL(rects)) {
            int64_t area = 0;
            for (unsigned i = 0; i < rects->count; ++i) {
                Pixel tl, br;
                if (!work.ToPixel(api, rects->TL[i], tl) || !work.ToPixel(api, rects->BR[i], br)) {
                    area = kHuge;
                    break;
                }
                area = Add(area, Box(tl.x, tl.y, br.x, br.y));
            }
            cost = Add(cost, work.Fill(rects->dc, area));
        }
        if (work.Pay(api, cost)) work.painter_.region_paint(api, rects);
    }
    static void RegionClip(wmfAPI* api, wmfPolyRectangle_t* rects) {
        DrawingWork& work = Of(api);
        if (!work.Pay(api, Add(1, rects->count))) return;
        work.clipRects_ = rects->count;
        work.painter_.region_clip(api, rects);
    }

    int64_t budget_;
    int64_t done_ = 0;
    bool exceeded_ = false;
    int64_t clipRects_ = 0;
    wmfFunctionReference painter_{};
};

}  // namespace

QSize WmfRenderSize(QSize natural, int64_t pixelBudget) {
    if (natural.isEmpty()) return natural;
    const int64_t pixels = int64_t{natural.width()} * natural.height();
    if (pixels <= pixelBudget) return natural;
    // Rounded down, so the product never exceeds the budget.
    const double scale = std::sqrt(double(pixelBudget) / double(pixels));
    return QSize(std::max(1, int(natural.width() * scale)),
                 std::max(1, int(natural.height() * scale)));
}

std::optional<QImage> LoadWmfImage(const std::string& path, ImageFailure* why,
                                   const WmfLimits& limits, int64_t* work) {
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
    std::optional<Layout> layout = ReadLayout(data, limits, refused);
    if (!layout) return fail(refused);

    DrawingWork drawing(limits.work);  // outlives the session that calls it
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
    drawing.Install(api);
    const auto report = [&drawing, work] {
        if (work) *work = drawing.Done();
    };
    wmf_gd_t* gd = WMF_GD_GetData(api);
    if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(data.data()), long(data.size())) !=
        wmf_E_None)
        return fail(ImageFailure::CannotDecode);
    wmfD_Rect box{};
    const auto refusal = [&] {
        report();
        return fail(budget.exceeded || drawing.Exceeded() ? ImageFailure::TooComplex
                                                          : ImageFailure::CannotDecode);
    };
    if (wmf_scan(api, 0, &box) != wmf_E_None) return refusal();

    if (!layout->frame) {
        const QRectF drawn(QPointF(box.TL.x, box.TL.y), QPointF(box.BR.x, box.BR.y));
        const double w = std::ceil(drawn.width() * layout->fallbackScale);
        const double h = std::ceil(drawn.height() * layout->fallbackScale);
        if (!(w >= 1 && h >= 1)) return fail(ImageFailure::CannotDecode);
        if (w > kMaxWmfSide || h > kMaxWmfSide) return fail(ImageFailure::TooLarge);
        layout->pixels = WmfRenderSize(QSize(int(w), int(h)), limits.pixels);
        layout->frame = drawn;
    }
    // A picture QImage would refuse is not worth seconds of rendering.
    if (!WithinImageLimit(layout->pixels)) return fail(ImageFailure::TooLarge);
    // libwmf reads the metafile from `data` again while playing.
    LimitFonts(data, *layout);
    // The picture is taken straight from the gd image (the same pixels an
    // encoded PNG would hold, without encoding and decoding them).
    gd->type = wmf_gd_image;
    gd->width = unsigned(layout->pixels.width());
    gd->height = unsigned(layout->pixels.height());
    gd->bbox.TL = {float(layout->frame->left()), float(layout->frame->top())};
    gd->bbox.BR = {float(layout->frame->right()), float(layout->frame->bottom())};
    wmfD_Rect played{};
    const wmf_error_t status = wmf_play(api, 0, &played);
    // At the end of play the device gives its image away and forgets it;
    // it is handed back (the image is the first member of the device's
    // data, left null) so that closing the session destroys it.
    void* const drawn = gd->gd_image;
    if (drawn) {
        if (auto** held = static_cast<void**>(gd->gd_data); *held == nullptr) *held = drawn;
        gd->gd_image = nullptr;
    }
    if (status != wmf_E_None || !drawn) return refusal();
    report();

    const int width = layout->pixels.width(), height = layout->pixels.height();
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) return fail(ImageFailure::TooLarge);
    const int* pixels = wmf_gd_image_pixels(drawn);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int* from = pixels + int64_t{y} * width;
        for (int x = 0; x < width; ++x) row[x] = 0xFF000000u | (QRgb(from[x]) & 0x00FFFFFFu);
    }
    return image;
}

}  // namespace fennix
