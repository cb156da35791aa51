#pragma once
// The image manager without its window: the picture store being edited, the page shown, what
// each command does to the store, which commands are available, the memory display, and the
// checks that keep the user's pictures (a failed open changes nothing, unsupported or undecodable
// files are reported, huge pictures are refused before they are decoded).
#include "common/log_sink.h"
#include "pictures/picture_store.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace cs {

// The three pages, one per picture of the store.
enum class PicturePage : int { Logo = 0, Radio = 1, Background = 2 };

// Picture files the image manager imports; JPEG is taken as it is, BMP is converted.
enum class PictureFileType { Jpeg, Bmp };

// ".jpg", ".jpeg" or ".bmp" in any letter case; nothing for any other name.
std::optional<PictureFileType> pictureFileType(std::string_view path);
// Export writes JPEG: ".jpg" or ".jpeg" in any letter case.
bool isJpegFileName(std::string_view path);

// Pictures whose header announces more pixels than this are refused before decoding: the size
// rule stretches every picture to at most 720 x 576, and a huge source only costs memory.
inline constexpr std::uint64_t kMaxImportPixels = 16ull * 1000 * 1000;
// Why a picture of this size is refused; nothing when it may be decoded.
std::optional<std::string> pictureSizeProblem(std::int64_t width, std::int64_t height);

// The user-visible outcome of a command: ok, or the reason it did nothing.
struct ManagerResult {
    bool ok = false;
    std::string error;
    std::string warning;  // done, but the user must hear this (pictures a save left out)
    explicit operator bool() const { return ok; }
    static ManagerResult success() { return {true, {}, {}}; }
    static ManagerResult failure(std::string why) { return {false, std::move(why), {}}; }
};

// Which commands the window offers.
struct ManagerCommands {
    bool save = false;     // Save, Send and their buttons: any page holds a picture
    bool picture = false;  // Delete, Export, Copy and the effects: the shown page holds one
};

class ImageManagerDocument {
public:
    explicit ImageManagerDocument(LogSink& log);

    const PictureStore& store() const { return store_; }
    PicturePage page() const { return page_; }
    void setPage(PicturePage page) { page_ = page; }
    const PictureSlot& currentSlot() const { return store_.slot(static_cast<int>(page_)); }

    // New: every picture and its effects cleared, no file, the first page.
    void newStore();
    // Reads a store file. The pictures shown are replaced only when the whole file was taken; a
    // file that fails its checks leaves them, the path and the modified state as they were.
    ManagerResult openStore(const std::string& path);
    // Writes the store; on success the path is the store's and it is unmodified. Pictures that do
    // not fit are left out of the file and named in the result's warning.
    ManagerResult saveStore(const std::string& path);

    // Loads a JPEG into the shown page (file name empty for the clipboard), with its effects
    // reset. A picture that is too large or does not decode leaves the page as it was.
    ManagerResult loadPicture(std::span<const std::uint8_t> jpeg, std::string fileName);
    // Reads a JPEG file and loads it; BMP files are converted by the window before loadPicture.
    ManagerResult importJpegFile(const std::string& path);
    // Writes the shown page's stored JPEG to a ".jpg"/".jpeg" file.
    ManagerResult exportPicture(const std::string& path) const;
    // Delete: the shown page's picture and effects.
    void clearPicture();
    // The effects menus changed: the shown page is rendered with `effects`.
    ManagerResult applyEffects(const PictureEffects& effects);
    // The settings the effects menus show for the shown page: anything the menus cannot express
    // shows as its default.
    PictureEffects menuEffects() const;

    ManagerCommands commands() const;
    // Changes a save would keep that no file holds yet (an empty store has nothing to lose).
    bool hasUnsavedChanges() const { return store_.modified() && store_.anyLoaded(); }
    // Send saves first when the store is modified or was never written.
    bool needsSaveBeforeSend() const { return store_.modified() || store_.currentPath().empty(); }

    PictureMemoryUse memoryUse() const { return store_.memoryUse(); }
    // The status text: `label` (the language's "About_MemoryUses") + " %d Kbytes %s".
    std::string memoryText(std::string_view label) const { return pictureMemoryText(label, memoryUse()); }
    // The progress bar's value, at most its maximum (61408).
    int memoryBarValue() const;

private:
    LogSink& log_;
    PictureStore store_;
    PicturePage page_ = PicturePage::Logo;
};

} // namespace cs
