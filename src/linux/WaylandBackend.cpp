#include "linux/Backends.h"
#include "linux/CommandLineActions.h"
#include "linux/DisplayChoice.h"
#include "linux/WaylandSession.h"

#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace {

// Where the module is: beside the program in the build tree, in the program's private library
// folder when installed (KALVOR_MODULE_DIR, relative to the program's folder).
std::vector<std::filesystem::path> ModuleCandidates() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    const std::filesystem::path folder = program.parent_path();
    return {folder / WaylandModuleFile, folder / KALVOR_MODULE_DIR / WaylandModuleFile};
}

class PortalSession final : public ScreenSession {
  public:
    explicit PortalSession(WaylandReaderFactory factory) {
        const WaylandScreenReader::Options options = session_.ReaderOptions();
        reader_.reset(factory(&options));
    }
    ScreenReader &Screen() override { return *reader_; }
    void Attach(FenwoMainWindow &window, FenwoMain &) override {
        session_.Attach(window, *reader_);
        reader_->Start();
    }
    void RequestCapture() override { session_.RequestCapture(); }

  private:
    WaylandSession session_; // outlives the reader: no handler of the reader finds it gone
    std::unique_ptr<WaylandScreenReader> reader_;
};

class PortalBackend final : public Backend {
  public:
    explicit PortalBackend(WaylandReaderFactory factory) : factory_(factory) {}
    bool ReadsThroughPortal() const override { return true; }
    int PrintColour(const CommandLine &command, const QString &, IniMod &settings) override {
        WaylandScreenReader::Options options;
        options.registerShortcut = false;
        const std::unique_ptr<WaylandScreenReader> reader(factory_(&options));
        return PrintColourThroughPortal(command, settings, *reader);
    }
    std::unique_ptr<ScreenSession> Open(const DisplayChoice &) override {
        return std::make_unique<PortalSession>(factory_);
    }

  private:
    WaylandReaderFactory factory_;
};

// Loaded for good: the reader's thread and handlers come from the module.
std::unique_ptr<Backend> OpenPortalBackend(std::string &whyNot) {
    std::string tried;
    for (const std::filesystem::path &file : ModuleCandidates()) {
        if (!std::filesystem::exists(file))
            continue;
        void *module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            whyNot = std::string("the Wayland backend cannot be loaded: ") + dlerror();
            return nullptr;
        }
        if (void *factory = dlsym(module, WaylandReaderFactoryName))
            return std::make_unique<PortalBackend>(reinterpret_cast<WaylandReaderFactory>(factory));
        whyNot = "the Wayland backend cannot be loaded: " + file.string() + " makes no reader";
        dlclose(module);
        return nullptr;
    }
    whyNot = std::string("the Wayland backend cannot be loaded: no ") + WaylandModuleFile +
             " beside the program or in its library folder";
    return nullptr;
}

} // namespace

BackendEntry WaylandBackendEntry() {
    // The screen is read through the desktop's portal in a Wayland session: XWayland sees
    // only X11 windows there. No need of the module to tell.
    return {"wayland", [] { return InWaylandSession(ProcessEnvironment({})); }, OpenPortalBackend};
}
