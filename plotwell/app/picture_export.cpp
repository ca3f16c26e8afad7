// The export command: file and type, the export settings, and the drawing into the picture.
#include "plotwell/app/picture_export.h"

#include "plotwell/app/export_settings_dialogs.h"
#include "plotwell/app/plot_app.h"
#include "plotwell/app/plot_frame.h"

#if __has_include("platform/win/WinMetafile.h")
#include "platform/win/WinMetafile.h"
#define PLOTWELL_HAS_METAFILES 1
#else
#define PLOTWELL_HAS_METAFILES 0
#endif

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"

#include <cctype>
#include <cstdio>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plotwell {

int export_file_type(const std::string& file_name)
{
    const std::size_t dot = file_name.rfind('.');
    const std::size_t slash = file_name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return 0;
    std::string ext = file_name.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const struct { const char* ext; int type; } types[] = {
        {"BMP", TYPE_BMP}, {"GIF", TYPE_GIF}, {"JPG", TYPE_JPEG}, {"JPEG", TYPE_JPEG}, {"PNG", TYPE_PNG}, {"PCX", TYPE_PCX},
        {"TIF", TYPE_TIFF}, {"TIFF", TYPE_TIFF}, {"EMF", TYPE_EMF}, {"PSD", TYPE_PSD}, {"TGA", TYPE_TGA}};
    for (const auto& t : types)
        if (ext == t.ext) return t.type;
    return 0;
}

gif_library::gif_library()
{
    const std::string beside = plot_app().program_folder + "/libgfl155.so";
    handle_ = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) handle_ = dlopen("libgfl155.so", RTLD_NOW | RTLD_LOCAL);
}

gif_library::~gif_library()
{
    if (handle_) dlclose(handle_);
}

void* gif_library::symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

namespace {
// A temporary file beside the target, renamed onto it on success and removed otherwise.
struct temporary_target {
    std::string target, temporary;
    explicit temporary_target(const std::string& name) : target(name)
    {
        const std::string folder = ExtractFilePath(name);
        try {
            temporary = CreateUniqueFile(ExtractFileName(name) + ".", String(), folder.empty() ? "./" : folder);
        } catch (const Exception&) {
            return; // commit reports the failure
        }
        // the finished file gets the permissions of a file created under its own name
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(temporary.c_str(), 0666 & ~mask);
    }
    ~temporary_target()
    {
        if (!temporary.empty()) std::remove(temporary.c_str());
    }
    bool commit()
    {
        if (temporary.empty()) return false;
        if (std::rename(temporary.c_str(), target.c_str()) != 0) return false;
        temporary.clear();
        return true;
    }
};

void report(const std::string& text)
{
    plot_app().show_message(text);
}
} // namespace

void export_chart(CWnd* window, int main_window)
{
    CPlotApp& app = plot_app();
    plot_graphics& gr = app.layer;
    gif_library gif;
    gr.target_window = main_window ? 1 : 2;
    std::string file_name;
    long width = 0, height = 0;
    int depth = 8, transparent = 0;
    bool colour = true;
    if (app.export_options.given) {
        width = app.export_options.width;
        height = app.export_options.height;
        file_name = app.export_options.file_name;
    } else {
        std::string filter = "Enhanced Metafiles (*.EMF)|*.EMF|PNG Files (*.PNG)|*.PNG|Windows BMP Files (*.BMP)|*.BMP|"
                             "JPEG Files (*.JPG)|*.JPG|";
        if (gif.loaded()) filter += "GIF Files (*.GIF)|*.GIF|";
        filter += "ZSoft PCX Files (*.PCX)|*.PCX|Adobe Photoshop Files (*.PSD)|*.PSD|Targa TGA Files (*.TGA)|*.TGA|"
                  "TIFF Files (*.TIF)|*.TIF|All files (*.*)|*.*||";
        CFileDialog dialog(FALSE, "*.Emf", "*.Emf", filter.c_str(), window, "Save current image to this file");
        if (dialog.DoModal() != IDOK) return;
        file_name = dialog.GetPathName();
    }
    const int type = export_file_type(file_name);
    if (type == 0) {
        report("wrong output filetype!");
        return;
    }
    if (app.export_options.given) {
        transparent = app.export_options.transparent;
        colour = !app.export_options.grey;
        depth = app.export_options.depth;
    } else {
        depth = 24;
        int orientation = app.settings->page_scale_y != 1.0f ? 2 : 1;
        int resolution = 300;
        COrientMetaDlg dialog(window);
        if (dialog.AskSettings(&orientation, &resolution, &transparent, &depth, &width, &height, type) != IDOK) return;
        colour = dialog.colour_export;
    }
    if (width <= 0 || height <= 0) {
        report("The picture size is not known (give a resolution or a size in pixels).");
        return;
    }
    if (type == TYPE_GIF && !gif.loaded()) {
        report("GIF pictures cannot be written: libgfl155 is not available.");
        return;
    }
    const int saved_resolution = app.drawing_resolution;
    app.drawing_resolution = static_cast<int>(width / 8);
    application_state& st = app.settings->app;
    st.view_kind = gr.target_window;
    st.exporting = true;
    st.colour_export = colour;
    st.transparent_background = transparent != 0;
    st.dots_per_inch = app.drawing_resolution;
    st.pixel_aspect = 1.0;
    gr.exporting = true;
    gr.printing = false;
    HDC window_dc = window->GetDC();
    auto finish = [&] {
        st.exporting = false;
        st.metafile = false;
        st.colour_export = false;
        gr.exporting = false;
        gr.metafile_dc = nullptr;
        gr.export_bitmap_dc = nullptr;
        window->ReleaseDC(window_dc);
        app.drawing_resolution = saved_resolution;
    };

    if (type == TYPE_EMF) {
#if PLOTWELL_HAS_METAFILES
        // the file is written under a temporary name and renamed when the picture is complete
        temporary_target out(file_name);
        HDC emf = out.temporary.empty() ? nullptr
                                        : CreateEnhMetaFileA(window_dc, out.temporary.c_str(), nullptr, "plotwell\0\0");
        if (!emf) {
            finish();
            report("Cannot create " + file_name);
            return;
        }
        SetTextAlign(emf, TA_BASELINE | TA_LEFT);
        SetBkMode(emf, TRANSPARENT);
        gr.metafile_dc = emf;
        gr.drawing_rect = RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
        st.metafile = true;
        app.drawing_ready = false;
        const bool drawn = app.render();
        gr.delete_drawing_objects();
        SelectObject(emf, gr.neutral_brush);
        SelectObject(emf, gr.neutral_pen);
        HENHMETAFILE done = CloseEnhMetaFile(emf);
        if (done) DeleteEnhMetaFile(done);
        finish();
        if (drawn && (!done || !out.commit())) report("Cannot write " + file_name);
#else
        finish();
        report("Enhanced metafiles cannot be written: this build has no metafile writer.");
#endif
        return;
    }

    HDC memory = CreateCompatibleDC(window_dc);
    SetTextAlign(memory, TA_BASELINE | TA_LEFT);
    SetBkMode(memory, TRANSPARENT);
    long w = width, h = height;
    HBITMAP bitmap = CreateCompatibleBitmap(window_dc, static_cast<int>(w), static_cast<int>(h));
    while (!bitmap && w > 10 && h > 10) {
        w = w * 9 / 10;
        h = h * 9 / 10;
        bitmap = CreateCompatibleBitmap(window_dc, static_cast<int>(w), static_cast<int>(h));
    }
    if (!bitmap) {
        DeleteDC(memory);
        finish();
        report("Unable to create bitmap!");
        return;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    gr.export_bitmap_dc = memory;
    gr.drawing_rect = RECT{0, 0, static_cast<LONG>(w), static_cast<LONG>(h)};
    app.drawing_ready = false;
    const bool drawn = app.render();
    bool written = false;
    std::string error;
    if (drawn) {
        bitmap_export_settings s;
        s.type = type;
        s.depth = depth;
        s.colour = colour;
        s.transparent = transparent != 0;
        s.scale = static_cast<double>(width) / w;
        temporary_target out(file_name);
        written = !out.temporary.empty() && export_picture(bitmap, out.temporary, memory, s, static_cast<int>(w),
                                                           static_cast<int>(h), error);
        if (written && !out.commit()) {
            written = false;
            error = "Cannot write " + file_name;
        }
        if (!written && error.empty()) error = "Cannot write " + file_name;
    }
    gr.delete_drawing_objects();
    SelectObject(memory, gr.neutral_brush);
    SelectObject(memory, gr.neutral_pen);
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
    finish();
    if (drawn && !written) report(error);
}

void CPlotFrame::OnOutputFile() { export_chart(this, 1); }

} // namespace plotwell
