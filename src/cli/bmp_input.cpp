#include "bmp_input.h"

#include "pictures/bmp_module.h"

#include <dlfcn.h>

#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

namespace cs::cli {
namespace {

namespace fs = std::filesystem;

unsigned char* allocateBitmap(void* context, int width, int height, int channels) {
    if (width <= 0 || height <= 0 || (channels != 1 && channels != 3))
        return nullptr;
    auto& bitmap = *static_cast<Bitmap*>(context);
    bitmap = makeBitmap(width, height, channels);
    return bitmap.pixels.data();
}

// The module's decoder, loaded on first use; nullptr (and `error`) when it is not there.
DecodeBmpFile loadDecoder(std::string& error) {
    static DecodeBmpFile decoder = nullptr;
    static std::string loadError;
    static bool tried = false;
    if (!tried) {
        tried = true;
        std::error_code ec;
        const fs::path programFolder = fs::read_symlink("/proc/self/exe", ec).parent_path();
        std::string looked;
        // Beside the program in the build tree; in the installed tree, in the program's own folder
        // below the library folder.
        for (const fs::path& folder : {programFolder, (programFolder / CS_INSTALLED_MODULE_FOLDER).lexically_normal()}) {
            const fs::path candidate = folder / kBmpModuleFile;
            looked += (looked.empty() ? "" : ", ") + candidate.string();
            if (!fs::exists(candidate, ec))
                continue;
            // Never unloaded: Qt keeps state for the life of the process.
            void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!module) {
                const char* why = ::dlerror();
                loadError = "cannot load " + candidate.string() + ": " + (why ? why : "unknown error");
                return nullptr;
            }
            decoder = reinterpret_cast<DecodeBmpFile>(::dlsym(module, kDecodeBmpSymbol));
            if (!decoder)
                loadError = candidate.string() + " has no " + kDecodeBmpSymbol;
            return decoder;
        }
        loadError = std::string("BMP pictures need the module ") + kBmpModuleFile + ", which is not installed (looked for " +
                    looked + ")";
    }
    if (!decoder)
        error = loadError;
    return decoder;
}

} // namespace

std::optional<Bitmap> readBmpPicture(const std::string& path, std::string& error) {
    const DecodeBmpFile decode = loadDecoder(error);
    if (!decode)
        return std::nullopt;
    Bitmap bitmap;
    std::array<char, 512> why{};
    if (decode(path.c_str(), allocateBitmap, &bitmap, why.data(), why.size()) != 0) {
        error = why.data();
        return std::nullopt;
    }
    return bitmap;
}

} // namespace cs::cli
