// The plotwell program run as a child process: batch export to every picture format, batch print
// to a PDF printer, PostScript output, and the failures of batch runs.
#include "plotwell/app/imagelib/imagelib.h"
#include "plotwell/app/printing.h"
#include "platform/testing/quelm_test_support.h"

#include <QImage>
#include <QProcess>
#include <QStringList>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
struct run_result {
    int status = -1;
    std::string err;
    bool finished = false;
};

// A folder with the line graph of the core's tests and its own Windows folder.
struct graph_folder {
    quelmtest::TempDir dir;
    graph_folder()
    {
        const std::string golden = quelmtest::SourceDir() + "/plotwell/core/tests/golden/";
        for (const char* f : {"UserDefinedGraph.set", "1.out"})
            quelmtest::WriteFileBytes(dir.file(f), quelmtest::ReadFileBytes(golden + f));
        fs::create_directory(dir.path() / "win");
    }
    // Runs plotwell with the arguments; a run that has not ended by the deadline is killed.
    run_result run(const QStringList& args, const std::vector<std::pair<QString, QString>>& extra_env = {},
                   int deadline_ms = 60000)
    {
        QProcess p;
        p.setWorkingDirectory(QString::fromStdString(dir.str()));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUELM_WINDIR", QString::fromStdString(dir.file("win")));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        for (const auto& [name, value] : extra_env) env.insert(name, value);
        p.setProcessEnvironment(env);
        p.start(PLOTWELL_EXE, args);
        run_result r;
        r.finished = p.waitForFinished(deadline_ms);
        if (!r.finished) {
            p.kill();
            p.waitForFinished(5000);
        }
        r.status = r.finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.err = p.readAllStandardError().toStdString();
        return r;
    }
    std::vector<std::string> files() const
    {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (e.is_regular_file()) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

void png_size(const std::string& path, int& w, int& h, int& type)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        ADD_FAILURE() << "libpng refused " << path;
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return;
    }
    png_init_io(png, f);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    w = int(png_get_image_width(png, info));
    h = int(png_get_image_height(png, info));
    type = png_get_color_type(png, info);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
}

void jpeg_size(const std::string& path, int& w, int& h, int& components)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    jpeg_decompress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, f);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    std::vector<JSAMPLE> row(info.output_width * info.output_components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW r = row.data();
        jpeg_read_scanlines(&info, &r, 1);
    }
    w = int(info.output_width);
    h = int(info.output_height);
    components = info.output_components;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(f);
}

void tiff_size(const std::string& path, int& w, int& h, int& bits)
{
    TIFF* t = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(t, nullptr);
    uint32_t tw = 0, th = 0;
    uint16_t bps = 0, spp = 1;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &tw);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &th);
    TIFFGetField(t, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &spp);
    std::vector<uint32_t> raster(std::size_t(tw) * th);
    EXPECT_EQ(TIFFReadRGBAImage(t, tw, th, raster.data(), 0), 1);
    TIFFClose(t);
    w = int(tw);
    h = int(th);
    bits = bps * spp;
}

void gif_size(const std::string& path, int& w, int& h)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(DGifSlurp(gif), GIF_OK);
    w = gif->SWidth;
    h = gif->SHeight;
    DGifCloseFile(gif, &error);
}

// Our own readers: the size and a few pixels that are neither all white nor all black.
void read_back(const std::string& path, int& w, int& h)
{
    img_input in = img_open_file_input(path.c_str());
    ASSERT_NE(in, nullptr) << path;
    const std::int32_t type = img_guess_file_type(in);
    img_seek_input(in, 0, SEEK_SET);
    std::uint8_t palette[1024];
    std::int32_t iw = 0, ih = 0;
    std::uint8_t* image = nullptr;
    switch (type) {
    case IMG_TYPE_BMP: image = img_read_bmp(in, &iw, &ih, 24, palette); break;
    case IMG_TYPE_PNG: image = img_read_png(in, &iw, &ih, 24, palette); break;
    case IMG_TYPE_JPEG: image = img_read_jpeg(in, &iw, &ih, 24, palette); break;
    case IMG_TYPE_PCX: image = img_read_pcx(in, &iw, &ih, 24, palette); break;
    case IMG_TYPE_PSD: image = img_read_psd(in, &iw, &ih, 24, palette); break;
    case IMG_TYPE_TGA: image = img_read_tga(in, &iw, &ih, 24, palette); break;
    default: break;
    }
    img_close_input(in);
    ASSERT_NE(image, nullptr) << path << " type " << type;
    int dark = 0, light = 0, coloured = 0;
    for (std::int64_t i = 0; i < std::int64_t(iw) * ih; ++i) {
        const std::uint8_t* p = image + i * 3;
        if (p[0] < 64 && p[1] < 64 && p[2] < 64) ++dark;
        else if (p[0] > 200 && p[1] > 200 && p[2] > 200) ++light;
        else ++coloured;
    }
    img_free(image);
    EXPECT_GT(light, iw * ih / 2) << path << ": white page";
    EXPECT_GT(dark, 100) << path << ": black texts and axes";
    EXPECT_GT(coloured, 50) << path << ": coloured lines";
    w = iw;
    h = ih;
}
} // namespace

TEST(BatchExport, EveryBitmapFormatIsReadBackAtTheRequestedSize)
{
    graph_folder g;
    struct row { const char* value; const char* file; int width, height; };
    // free sizes are cropped to the drawn area, which fills the whole picture here
    const row rows[] = {
        {"out.png,f,600,400", "out.png", 600, 400},  {"out.bmp,f24,600,400", "out.bmp", 600, 400},
        {"out.jpg,f,600,400", "out.jpg", 600, 400},  {"out.gif,f,600,400", "out.gif", 600, 400},
        {"out.pcx,f,600,400", "out.pcx", 600, 400},  {"out.tif,f24,600,400", "out.tif", 600, 400},
        {"out.psd,f,600,400", "out.psd", 600, 400},  {"out.tga,f24,600,400", "out.tga", 600, 400},
        {"l.png,l,60", "l.png", 579, 375},           {"g.bmp,fg16,300,200", "g.bmp", 300, 200},
    };
    for (const row& r : rows) {
        const run_result rr = g.run({"-c", "UserDefinedGraph.set", "-@", r.value});
        ASSERT_EQ(rr.status, 0) << r.value << ": " << rr.err;
        const std::string path = g.dir.file(r.file);
        ASSERT_TRUE(fs::exists(path)) << r.value;
        // written under a unique temporary name, the picture still gets a new file's permissions
        const mode_t mask = ::umask(0);
        ::umask(mask);
        EXPECT_EQ(fs::status(path).permissions(), fs::perms(0666 & ~mask)) << r.value;
        int w = 0, h = 0, extra = 0;
        const std::string ext = fs::path(r.file).extension().string();
        if (ext == ".png") png_size(path, w, h, extra);
        else if (ext == ".jpg") jpeg_size(path, w, h, extra);
        else if (ext == ".tif") tiff_size(path, w, h, extra);
        else if (ext == ".gif") gif_size(path, w, h);
        if (ext == ".png" || ext == ".jpg" || ext == ".tif" || ext == ".gif") {
            EXPECT_LE(std::abs(w - r.width), 2) << r.value;
            EXPECT_LE(std::abs(h - r.height), 2) << r.value;
        }
        if (ext != ".tif" && ext != ".gif") {
            read_back(path, w, h);
            EXPECT_LE(std::abs(w - r.width), 2) << r.value;
        }
        if (ext == ".jpg") EXPECT_EQ(extra, 3) << "JPEG is always 24 bits";
        if (ext == ".tif") EXPECT_EQ(extra, 24);
    }
    const std::string bmp = quelmtest::ReadFileBytes(g.dir.file("g.bmp"));
    EXPECT_EQ(bmp[28], 16) << "a 16-bit BMP";
}

TEST(BatchExport, SixteenBitPicturesOnlyBmpStoresAreWrittenWithTwentyFourBits)
{
    // PCX, PSD and TIFF (and PNG and TGA) have no 16-bit layout here: the picture is kept whole
    // at 24 bits rather than leaving an empty file behind a successful run
    graph_folder g;
    struct row { const char* value; const char* file; };
    const row rows[] = {{"s.pcx,f16,300,200", "s.pcx"}, {"s.psd,f16,300,200", "s.psd"}, {"s.tif,f16,300,200", "s.tif"},
                        {"s.png,f16,300,200", "s.png"}, {"s.tga,f16,300,200", "s.tga"}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.value);
        const run_result rr = g.run({"-c", "UserDefinedGraph.set", "-@", r.value});
        ASSERT_EQ(rr.status, 0) << rr.err;
        const std::string path = g.dir.file(r.file), bytes = quelmtest::ReadFileBytes(path);
        ASSERT_GT(bytes.size(), 1000u);
        const std::string ext = fs::path(r.file).extension().string();
        int w = 0, h = 0, bits = 0;
        if (ext == ".tif") {
            tiff_size(path, w, h, bits);
            EXPECT_EQ(bits, 24);
            continue;
        }
        if (ext == ".pcx") EXPECT_EQ(bytes[3] * bytes[65], 24) << "bits per plane times planes";
        if (ext == ".psd") {
            EXPECT_EQ(bytes[13], 3) << "three channels";
            EXPECT_EQ(bytes[23], 8) << "of 8 bits";
        }
        if (ext == ".png") {
            png_size(path, w, h, bits);
            EXPECT_EQ(bits, PNG_COLOR_TYPE_RGB);
        }
        if (ext == ".tga") EXPECT_EQ(bytes[16], 24);
        read_back(path, w, h);
        EXPECT_LE(std::abs(w - 300), 2);
        EXPECT_LE(std::abs(h - 200), 2);
    }
}

TEST(BatchExport, FailuresExitNonZeroAndLeaveNoFile)
{
    graph_folder g;
    struct row { QStringList args; const char* message; };
    const row rows[] = {
        {{"-c", "UserDefinedGraph.set", "-@", "out.xyz,l"}, "wrong output filetype!"},
        {{"-c", "Missing.set", "-@", "out.png,l,50"}, "Cannot open Missing.set"},
        {{"-c", "UserDefinedGraph.set", "-@", "out.png"}, "picture size"},
        {{"-c", "UserDefinedGraph.set", "-@"}, "output file name"},
        {{"-c", "UserDefinedGraph.set", "-@", "nofolder/out.png,l,50"}, "nofolder/out.png"},
    };
    const auto before = g.files();
    for (const row& r : rows) {
        const run_result rr = g.run(r.args);
        EXPECT_NE(rr.status, 0) << r.args.join(' ').toStdString();
        EXPECT_NE(rr.err.find(r.message), std::string::npos) << rr.err;
    }
    auto after = g.files();
    after.erase(std::remove(after.begin(), after.end(), "data.xy"), after.end());
    EXPECT_EQ(after, before) << "no picture and no temporary file stays behind";
}

TEST(BatchPrint, APdfPrinterGetsOnePage)
{
    graph_folder g;
    plotwell::print_settings s;
    s.device = "PDF:" + g.dir.file("chart.pdf");
    s.driver = "winspool";
    s.port = "plotwell:";
    s.mode.dmOrientation = DMORIENT_LANDSCAPE;
    ASSERT_TRUE(plotwell::write_print_settings(g.dir.file("win/plotwellPrint.ini"), s));
    // with -@ as well, only the print runs
    const run_result rr = g.run({"-c", "UserDefinedGraph.set", "-#", "-@", "out.png,l,50"});
    ASSERT_EQ(rr.status, 0) << rr.err;
    const std::string pdf = quelmtest::ReadFileBytes(g.dir.file("chart.pdf"));
    ASSERT_GT(pdf.size(), 1000u);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("/Type /Page"), std::string::npos);
    EXPECT_FALSE(fs::exists(g.dir.file("out.png")));
}

TEST(BatchPrint, AMapAtAScaleMeasuresItsSizeOverTheScaleOnThePage)
{
    graph_folder g;
    // 1000 m by 500 m in two classes laid out in diagonal bands
    std::string map = "ncols 10\r\nnrows 5\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 100\r\nnodata_value -1\r\n";
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 10; ++c) map += std::to_string(1 + (r + c) % 9) + (c < 9 ? " " : "\r\n");
    }
    quelmtest::WriteFileBytes(g.dir.file("m.asc"), map);
    quelmtest::WriteFileBytes(g.dir.file("m.set"), "DRAW_MAP ! m.asc\nMATRIX_CLASS 2 0 < 5 low\nMATRIX_CLASS 3 5 <= 10 high\n");
    plotwell::print_settings s;
    s.device = "PDF:" + g.dir.file("map.pdf");
    s.driver = "winspool";
    s.port = "plotwell:";
    ASSERT_TRUE(plotwell::write_print_settings(g.dir.file("win/plotwellPrint.ini"), s));
    // the width in pixels at 50 dots per inch of the map's first coloured run across its middle row
    auto printed_width = [&] {
        if (std::system(("pdftoppm -r 50 -png -singlefile '" + g.dir.file("map.pdf") + "' '" + g.dir.file("map") + "'").c_str()) != 0)
            return -1;
        const QImage page(QString::fromStdString(g.dir.file("map.png")));
        int best = 0;
        for (int y = 0; y < page.height() / 2; ++y) {
            int x = 0, run = 0;
            auto coloured = [&](int at) {
                const QRgb p = page.pixel(at, y);
                return std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)}) > 100;
            };
            while (x < page.width() && !coloured(x)) ++x;
            while (x < page.width() && coloured(x)) ++x, ++run;
            best = std::max(best, run);
        }
        return best;
    };
    // at 1:10000 the map is 10 cm wide
    run_result rr = g.run({"-c", "m.set", "-scale", "10000", "-#"});
    ASSERT_EQ(rr.status, 0) << rr.err;
    const int width = printed_width();
    if (width < 0) GTEST_SKIP() << "pdftoppm is not installed";
    EXPECT_NEAR(width, 10 / 2.54 * 50, 2.0);
    // a scale that does not fit says so, names the largest that fits, and prints at the frame's size
    rr = g.run({"-c", "m.set", "-scale", "1000", "-#"});
    EXPECT_EQ(rr.status, 1);
    const std::string head = "Unable to scale the print in x-direction!\nMapscale is ";
    const std::size_t at = rr.err.find(head);
    ASSERT_NE(at, std::string::npos) << rr.err;
    const double largest = std::atof(rr.err.c_str() + at + head.size());
    EXPECT_NEAR(printed_width(), 1000 * 100 / largest / 2.54 * 50, 2.0);
    rr = g.run({"-c", "m.set", "-scale", std::to_string(largest * 1.001).c_str(), "-#"});
    EXPECT_EQ(rr.status, 0) << rr.err;
}

TEST(BatchPrint, NoPrinterSetUpIsAFailure)
{
    graph_folder g;
    quelmtest::WriteFileBytes(g.dir.file("win/plotwellPrint.ini"), "damaged");
    QProcessEnvironment env;
    const run_result rr = g.run({"-c", "UserDefinedGraph.set", "-#"});
    // without a default printer on the machine the damaged file cannot be replaced
    if (rr.status == 0) GTEST_SKIP() << "this machine has a default printer";
    EXPECT_NE(rr.err.find("Not able to print chart"), std::string::npos) << rr.err;
}

TEST(PostScriptOutput, TheFlagLetterWritesAPageWithTheProlog)
{
    graph_folder g;
    // the window's first drawing writes the file and says so; the window then closes
    const run_result rr = g.run({"-c", "UserDefinedGraph.set", "-S", "graph.ps", "-l"});
    EXPECT_NE(rr.err.find("Postscript file graph.ps created!"), std::string::npos) << rr.err;
    const std::string ps = quelmtest::ReadFileBytes(g.dir.file("graph.ps"));
    ASSERT_FALSE(ps.empty()) << rr.err;
    EXPECT_EQ(ps.substr(0, 4), "%!PS");
    EXPECT_NE(ps.find("%%BeginProcSet: plotwell 2.1.7"), std::string::npos);
    EXPECT_NE(ps.find("%%BoundingBox:  22 22 812 567"), std::string::npos);
    EXPECT_NE(ps.find(" 300 1 22 22 3295 2273\nIntlsePge\n"), std::string::npos);
    EXPECT_NE(ps.find("Txt\n"), std::string::npos);
    EXPECT_EQ(ps.substr(ps.size() - 21), "RstClpRctngle\nShwPge\n");
}

TEST(BatchExport, EnhancedMetafilesFollowTheRecordLayout)
{
    graph_folder g;
    const run_result rr = g.run({"-c", "UserDefinedGraph.set", "-@", "chart.emf,l,100"});
#if __has_include("platform/win/WinMetafile.h")
    ASSERT_EQ(rr.status, 0) << rr.err;
    const std::string emf = quelmtest::ReadFileBytes(g.dir.file("chart.emf"));
    ASSERT_GT(emf.size(), 200u);
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(emf[at])) | std::uint32_t(std::uint8_t(emf[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(emf[at + 2])) << 16 | std::uint32_t(std::uint8_t(emf[at + 3])) << 24;
    };
    EXPECT_EQ(u32(0), 1u) << "header record first";
    EXPECT_EQ(emf.substr(40, 4), " EMF");
    EXPECT_EQ(u32(48), emf.size()) << "the header's byte count is the file size";
    // the records chain to the end of the file and the last is the end-of-file record
    std::size_t at = 0, records = 0, last = 0, polylines = 0, texts = 0;
    while (at + 8 <= emf.size()) {
        const std::uint32_t type = u32(at), size = u32(at + 4);
        ASSERT_TRUE(size >= 8 && size % 4 == 0 && at + size <= emf.size()) << "record at " << at;
        polylines += type == 87 || type == 4;
        texts += type == 84 || type == 83;
        last = type;
        at += size;
        ++records;
    }
    EXPECT_EQ(at, emf.size());
    EXPECT_EQ(records, u32(52));
    EXPECT_EQ(last, 14u);
    EXPECT_GT(polylines, 5u);
    EXPECT_GT(texts, 5u);
#else
    EXPECT_NE(rr.status, 0);
    EXPECT_FALSE(fs::exists(g.dir.file("chart.emf")));
#endif
}

namespace {
#if defined(__SANITIZE_ADDRESS__)
constexpr bool address_sanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool address_sanitizer = true;
#else
constexpr bool address_sanitizer = false;
#endif
#else
constexpr bool address_sanitizer = false;
#endif

// The environment that ends plotwell at any single allocation above `megabytes`.
std::vector<std::pair<QString, QString>> allocation_cap(int megabytes)
{
    if (address_sanitizer) {
        const QString given = qEnvironmentVariable("ASAN_OPTIONS");
        return {{"ASAN_OPTIONS", (given.isEmpty() ? QString() : given + ":") +
                                     QString("max_allocation_size_mb=%1:allocator_may_return_null=0").arg(megabytes)}};
    }
#ifdef PLOTWELL_ALLOCATION_CAP_LIBRARY
    return {{"LD_PRELOAD", PLOTWELL_ALLOCATION_CAP_LIBRARY},
            {"PLOTWELL_ALLOCATION_CAP", QString::number(qint64(megabytes) << 20)}};
#else
    return {};
#endif
}
} // namespace

TEST(HostileData, ASeriesSpanningMoreThanTheLargestNumberEndsWithAMessage)
{
    graph_folder g;
    struct row { const char* data; const char* message; };
    const row rows[] = {
        {"1 1e308\n2 -1e308\n3 5\n", "axis range -1e+308 to 1e+308 cannot be drawn"},
        {"1e308 1\n-1e308 2\n", "axis range -1e+308 to 1e+308 cannot be drawn"},
        {"1 4e-323\n2 1e-323\n", "axis range 9.88131e-324 to 3.95253e-323 cannot be drawn"},
    };
    for (const row& r : rows) {
        quelmtest::WriteFileBytes(g.dir.file("wide.dat"), r.data);
        const run_result rr = g.run({"wide.dat", "-@", "wide.png,f24,400,300"}, {}, 20000);
        ASSERT_TRUE(rr.finished) << r.data << "did not end";
        EXPECT_EQ(rr.status, 1) << rr.err;
        EXPECT_NE(rr.err.find(r.message), std::string::npos) << rr.err;
        EXPECT_FALSE(fs::exists(g.dir.file("wide.png")));
    }
    // a given axis range too wide to draw is refused as well
    quelmtest::WriteFileBytes(g.dir.file("wide.dat"), "1 2\n2 3\n");
    quelmtest::WriteFileBytes(g.dir.file("wide.set"), "X_AXIS -1e308 1e308\n");
    const run_result rr = g.run({"-c", "wide.set", "wide.dat", "-@", "wide.png,f24,400,300"}, {}, 20000);
    ASSERT_TRUE(rr.finished);
    EXPECT_NE(rr.err.find("x-axis: the range -1e+308 to 1e+308 cannot be drawn"), std::string::npos) << rr.err;
}

TEST(HostileData, APagePictureDeclaringMoreThanItsFileHoldsIsNotAllocated)
{
    const auto cap = allocation_cap(64);
    if (cap.empty()) GTEST_SKIP() << "no allocation cap in this build";
    graph_folder g;
    quelmtest::WriteFileBytes(g.dir.file("d.dat"), "1 2\n2 3\n");
    // each declares a picture of hundreds of megabytes (or a chunk of 1.6 GB) in a few hundred bytes
    const std::string seeds = quelmtest::SourceDir() + "/plotwell/app/fuzz/plotwell_imagelib_fuzz_";
    const char* const pictures[] = {
        "png_seeds/chunk_longer_than_file.png", "png_seeds/picture_larger_than_file.png",
        "bmp_seeds/picture_larger_than_file.bmp", "bmp_seeds/runs_larger_than_file.bmp",
        "pcx_seeds/picture_larger_than_file.pcx", "tga_seeds/picture_larger_than_file.tga",
        "tga_seeds/runs_larger_than_file.tga",   "psd_seeds/picture_larger_than_file.psd",
        "psd_seeds/runs_larger_than_file.psd",   "jpeg_seeds/picture_larger_than_file.jpg",
    };
    // the cap itself stops a run that allocates above it
    if (!address_sanitizer) {
        quelmtest::WriteFileBytes(g.dir.file("p.set"), "DRAW_BITMAP " + seeds + "png_seeds/rgb24.png\n");
        auto tiny = allocation_cap(0);
        const run_result rr = g.run({"-c", "p.set", "d.dat", "-@", "p.png,f24,400,300"}, tiny, 20000);
        ASSERT_EQ(rr.status, 86) << rr.err;
    }
    for (const char* picture : pictures) {
        SCOPED_TRACE(picture);
        const std::string path = seeds + picture;
        ASSERT_TRUE(fs::exists(path));
        quelmtest::WriteFileBytes(g.dir.file("p.set"), "DRAW_BITMAP " + path + "\n");
        fs::remove(g.dir.file("p.png"));
        const run_result rr = g.run({"-c", "p.set", "d.dat", "-@", "p.png,f24,400,300"}, cap, 30000);
        ASSERT_TRUE(rr.finished);
        // a picture that cannot be read is left out of the page without a word
        EXPECT_EQ(rr.status, 0) << rr.err;
        EXPECT_TRUE(fs::exists(g.dir.file("p.png")));
    }
}
