#include "pictures/image_manager_document.h"

#include "pictures/file_io.h"
#include "pictures/jpeg_codec.h"

#include <algorithm>
#include <filesystem>

namespace cs {

namespace {

// A JPEG file larger than this is not read at all; 16 megapixels compress far below it.
constexpr std::size_t kMaxPictureFileSize = 64u * 1024 * 1024;

std::string lowerExtension(std::string_view path) {
    std::string ext = std::filesystem::path(std::string(path)).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return ext;
}

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

} // namespace

std::optional<PictureFileType> pictureFileType(std::string_view path) {
    const std::string ext = lowerExtension(path);
    if (ext == ".jpg" || ext == ".jpeg")
        return PictureFileType::Jpeg;
    if (ext == ".bmp")
        return PictureFileType::Bmp;
    return std::nullopt;
}

bool isJpegFileName(std::string_view path) { return pictureFileType(path) == PictureFileType::Jpeg; }

std::optional<std::string> pictureSizeProblem(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0)
        return "The picture has no size.";
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= kMaxImportPixels)
        return std::nullopt;
    return format("The picture is %lld x %lld pixels; pictures above 16 megapixels are not taken.",
                  static_cast<long long>(width), static_cast<long long>(height));
}

ImageManagerDocument::ImageManagerDocument(LogSink& log) : log_(log) { newStore(); }

void ImageManagerDocument::newStore() {
    store_.reset();
    page_ = PicturePage::Logo;
}

ManagerResult ImageManagerDocument::openStore(const std::string& path) {
    // Read into a store of its own first: a file that fails its checks must not cost the user
    // the pictures on screen.
    PictureStore opened;
    if (!readPictureStore(path, opened, log_))
        return ManagerResult::failure("The file " + fileNameOf(path) +
                                      " is not a picture store that can be read (the log window tells why).");
    store_ = std::move(opened);
    page_ = PicturePage::Logo;
    return ManagerResult::success();
}

ManagerResult ImageManagerDocument::saveStore(const std::string& path) {
    const PictureStoreWriteResult written = writePictureStore(path, store_, log_);
    if (!written.written)
        return ManagerResult::failure(written.error);
    ManagerResult result = ManagerResult::success();
    constexpr const char* kPageNames[] = {"LOGO", "RADIO", "BACKGROUND"};
    for (std::size_t n = 0; n < written.leftOut.size(); ++n)
        if (written.leftOut[n])
            result.warning += std::string(result.warning.empty() ? "" : ", ") + kPageNames[n];
    if (!result.warning.empty())
        result.warning = "The store is full: these pictures were left out of the file: " + result.warning + ".";
    return result;
}

ManagerResult ImageManagerDocument::loadPicture(std::span<const std::uint8_t> jpeg, std::string fileName) {
    const JpegHeaderResult header = readJpegInfo(jpeg);
    if (!header.info)
        return ManagerResult::failure(header.error.empty() ? "The picture is not a JPEG picture." : header.error);
    if (auto problem = pictureSizeProblem(header.info->width, header.info->height))
        return ManagerResult::failure(*problem);
    PictureSlot loaded;
    if (SlotResult r = loaded.load(jpeg, std::move(fileName), log_); !r)
        return ManagerResult::failure(r.error);
    store_.slot(static_cast<int>(page_)) = std::move(loaded);
    store_.setModified(true);
    return ManagerResult::success();
}

ManagerResult ImageManagerDocument::importJpegFile(const std::string& path) {
    std::string error;
    const auto data = readWholeFile(path, kMaxPictureFileSize, error);
    if (!data)
        return ManagerResult::failure(error);
    return loadPicture(*data, fileNameOf(path));
}

ManagerResult ImageManagerDocument::exportPicture(const std::string& path) const {
    if (!currentSlot().loaded())
        return ManagerResult::failure("The page holds no picture.");
    if (!isJpegFileName(path))
        return ManagerResult::failure("Pictures are exported as JPEG files: the name must end in .jpg or .jpeg.");
    std::string error;
    if (!replaceFile(path, currentSlot().encodedData(), error))
        return ManagerResult::failure(error);
    return ManagerResult::success();
}

void ImageManagerDocument::clearPicture() {
    store_.slot(static_cast<int>(page_)).clear();
    store_.setModified(true);
}

ManagerResult ImageManagerDocument::applyEffects(const PictureEffects& effects) {
    store_.setModified(true);
    PictureSlot& slot = store_.slot(static_cast<int>(page_));
    if (!slot.loaded())
        return ManagerResult::success();
    if (SlotResult r = slot.render(effects, log_); !r)
        return ManagerResult::failure(r.error);
    return ManagerResult::success();
}

PictureEffects ImageManagerDocument::menuEffects() const {
    PictureEffects e = currentSlot().effects();
    if (e.scale < 0 || e.scale > 3)
        e.scale = 0;
    if (e.quality != 75 && e.quality != 50 && e.quality != 25 && e.quality != 10)
        e.quality = 100;
    return e;
}

ManagerCommands ImageManagerDocument::commands() const {
    return {store_.anyLoaded(), currentSlot().loaded()};
}

int ImageManagerDocument::memoryBarValue() const {
    return static_cast<int>(std::min(memoryUse().used, kPictureMemoryBarMaximum));
}

} // namespace cs
