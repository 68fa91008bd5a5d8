// vondrel-view: the unit's display and keypad beside the unit. It maps the
// frame buffer ROOT/dev/fb0 (layout in platform/fb_file.h) and shows the
// 800 x 600 lines the display scans out, as the header's y offset names
// them; in the window, the keys of the unit's keypad (map in tools/view_keys.h
// and --help) go into the keypad FIFO ROOT/dev/input/event6.
//
//   vondrel-view [--root DIR]                      a window, until it is closed
//   vondrel-view [--root DIR] --snapshot FILE.png  the page shown, as a PNG; no window
//
// The root is DIR, else VONDREL_ROOT, else ./run/root when it is there (the
// root make run gives the unit, for a viewer started in the project folder).
// The window waits for the unit when the frame buffer is not there yet
// (black) and follows it when the unit starts again with a new file. The
// viewer only reads the frame buffer; keys pressed while no unit reads the
// keypad are dropped.
#include "graphics/g_buffers.h"
#include "graphics/g_png.h"
#include "kernel/l_root.h"
#include "platform/fb_file.h"
#include "tools/view_keys.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// A read-only mapping of the frame-buffer file, renewed when the file is
// replaced.
class FrameBufferFile {
public:
    explicit FrameBufferFile(std::string path) : path_(std::move(path)) {}
    ~FrameBufferFile() { unmap(); }
    FrameBufferFile(const FrameBufferFile&) = delete;
    FrameBufferFile& operator=(const FrameBufferFile&) = delete;

    // Maps the file when it is there and has the layout; why not, in error_.
    bool refresh()
    {
        struct stat st {};
        if (stat(path_.c_str(), &st) != 0) {
            error_ = path_ + ": " + strerror(errno);
            unmap();
            return false;
        }
        if (base_ && st.st_ino == inode_ && st.st_dev == device_)
            return true;
        unmap();
        if (!S_ISREG(st.st_mode) || st.st_size != (off_t)FBFILE_FILE_BYTES) {
            error_ = path_ + ": not a frame-buffer file of " + std::to_string(FBFILE_FILE_BYTES) + " bytes";
            return false;
        }
        const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            error_ = path_ + ": " + strerror(errno);
            return false;
        }
        void* p = mmap(nullptr, FBFILE_FILE_BYTES, PROT_READ, MAP_SHARED, fd, 0);
        close(fd);
        if (p == MAP_FAILED) {
            error_ = path_ + ": " + strerror(errno);
            return false;
        }
        base_ = static_cast<const U8*>(p);
        inode_ = st.st_ino;
        device_ = st.st_dev;
        return true;
    }

    // The header as it is now; false (with error_) when it does not decode.
    bool header(FBFILE_HEADER& h)
    {
        if (!base_)
            return false;
        U8 bytes[FBFILE_HEADER_BYTES];
        memcpy(bytes, base_ + FBFILE_HEADER_OFFSET, sizeof bytes);
        if (!FBFILE_bDecodeHeader(bytes, sizeof bytes, &h)) {
            error_ = path_ + ": no valid frame-buffer header";
            return false;
        }
        return true;
    }

    // The 800 x 600 pixels scanned out from line yoffset on, as host-order RGB565.
    void shown(const FBFILE_HEADER& h, U16* pu16Out) const
    {
        const U8* p = base_ + (size_t)h.u32YOffset * FBFILE_LINE_LENGTH;
        for (size_t i = 0; i < (size_t)FBFILE_WIDTH * FBFILE_HEIGHT; ++i)
            pu16Out[i] = (U16)(p[2 * i] | p[2 * i + 1] << 8);
    }

    const std::string& error() const { return error_; }

private:
    void unmap()
    {
        if (base_)
            munmap(const_cast<U8*>(base_), FBFILE_FILE_BYTES);
        base_ = nullptr;
    }

    std::string path_;
    std::string error_;
    const U8* base_ = nullptr;
    ino_t inode_ = 0;
    dev_t device_ = 0;
};

int snapshot(FrameBufferFile& fb, const char* pcPng)
{
    FBFILE_HEADER h{};
    if (!fb.refresh() || !fb.header(h)) {
        fprintf(stderr, "vondrel-view: %s\n", fb.error().c_str());
        return 2;
    }
    BITMAP bitmap{};
    G_BUFFERS_pCreateBitmapHeader(FBFILE_WIDTH, FBFILE_HEIGHT, &bitmap);
    std::vector<U32> words((size_t)bitmap.__u32PixelWidthOfBuffer * bitmap.__u32PixelHeightOfBuffer / 2);
    // The unit draws the next frame into a page that is not shown and then
    // pans to it; a pan during the copy lets the copied page be redrawn
    // under it, so such a copy is made again.
    for (int tries = 0; tries < 50; ++tries) {
        fb.shown(h, reinterpret_cast<U16*>(words.data()));
        FBFILE_HEADER after{};
        if (!fb.header(after) || (after.u32PanCount == h.u32PanCount && after.u32YOffset == h.u32YOffset))
            break;
        h = after;
    }
    bitmap.pBuffer = words.data();
    if (!G_PNG_bWriteBitmap(&bitmap, pcPng)) {
        fprintf(stderr, "vondrel-view: cannot write %s\n", pcPng);
        return 2;
    }
    return 0;
}

int window(FrameBufferFile& fb, ViewKeypad& keypad)
{
#if defined(__SANITIZE_ADDRESS__)
    // What the window system's libraries keep until exit is not ours to report.
    __lsan_disable();
#endif
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "vondrel-view: no display: %s\n", SDL_GetError());
        return 2;
    }
    SDL_Window* pWindow = SDL_CreateWindow("vondrel-view", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                           FBFILE_WIDTH, FBFILE_HEIGHT, 0);
    SDL_Renderer* pRenderer = pWindow ? SDL_CreateRenderer(pWindow, -1, 0) : nullptr;
    SDL_Texture* pTexture = pRenderer ? SDL_CreateTexture(pRenderer, SDL_PIXELFORMAT_RGB565,
                                                          SDL_TEXTUREACCESS_STREAMING, FBFILE_WIDTH, FBFILE_HEIGHT)
                                      : nullptr;
    if (pTexture == nullptr) {
        fprintf(stderr, "vondrel-view: %s\n", SDL_GetError());
        SDL_Quit();
        return 2;
    }

    std::vector<U16> pixels((size_t)FBFILE_WIDTH * FBFILE_HEIGHT, 0);
    std::string lastError, lastTitle;
    for (bool running = true; running;) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT)
                running = false;
            else if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP)
                keypad.key(event.key.keysym.sym, event.type == SDL_KEYDOWN, event.key.repeat != 0);
            else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
                keypad.releaseAll(); // its releases would go elsewhere
        }

        FBFILE_HEADER h{};
        std::string title = "vondrel-view";
        if (fb.refresh() && fb.header(h)) {
            fb.shown(h, pixels.data());
            title += " - page " + std::to_string(h.u32PageOnDisplay) + ", " + std::to_string(h.u32VsyncCount) +
                     " vsyncs";
            lastError.clear();
        } else {
            std::fill(pixels.begin(), pixels.end(), 0);
            title += " - waiting for the unit";
            if (fb.error() != lastError)
                fprintf(stderr, "vondrel-view: %s\n", fb.error().c_str());
            lastError = fb.error();
        }
        if (title != lastTitle)
            SDL_SetWindowTitle(pWindow, title.c_str());
        lastTitle = title;
        SDL_UpdateTexture(pTexture, nullptr, pixels.data(), FBFILE_LINE_LENGTH);
        SDL_RenderClear(pRenderer);
        SDL_RenderCopy(pRenderer, pTexture, nullptr, nullptr);
        SDL_RenderPresent(pRenderer);
        SDL_Delay(16);
    }
    keypad.releaseAll();
    SDL_DestroyTexture(pTexture);
    SDL_DestroyRenderer(pRenderer);
    SDL_DestroyWindow(pWindow);
    SDL_Quit();
    return 0;
}

int usage(FILE* out = stderr)
{
    fprintf(out, "usage: vondrel-view [--root DIR] [--snapshot FILE.png] | --help\n");
    return 1;
}

int help()
{
    usage(stdout);
    printf("\nShows the unit's frame buffer ROOT/dev/fb0 in a window (or, with --snapshot,\n"
           "writes the page on display to a PNG). In the window these keys press the\n"
           "unit's keys, through its keypad ROOT/dev/input/event6:\n\n%s",
           VIEW_KEYS_pcHelp);
    return 0;
}

// Without --root or VONDREL_ROOT: ./run/root when it is a folder.
bool bFindRoot()
{
    const char* env = getenv("VONDREL_ROOT");
    if (env && *env)
        return true;
    struct stat st {};
    char acRoot[4096];
    if (stat("run/root", &st) != 0 || !S_ISDIR(st.st_mode) || !realpath("run/root", acRoot)) {
        fprintf(stderr, "vondrel-view: no unit root: give --root DIR or set VONDREL_ROOT "
                        "(./run/root, the root of make run, is not there)\n");
        return false;
    }
    setenv("VONDREL_ROOT", acRoot, 1);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const char* pcSnapshot = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--root") == 0 && i + 1 < argc)
            setenv("VONDREL_ROOT", argv[++i], 1);
        else if (strcmp(argv[i], "--snapshot") == 0 && i + 1 < argc)
            pcSnapshot = argv[++i];
        else if (strcmp(argv[i], "--help") == 0)
            return help();
        else
            return usage();
    }
    if (!bFindRoot())
        return 1;
    char acPath[4096];
    FrameBufferFile fb(L_ROOT_pcResolve("/dev/fb0", acPath, sizeof acPath));
    if (pcSnapshot)
        return snapshot(fb, pcSnapshot);
    ViewKeypad keypad(L_ROOT_pcResolve("/dev/input/event6", acPath, sizeof acPath));
    return window(fb, keypad);
}
