#include "lang_template.h"

#include "lang/builtin_languages.h"
#include "lang/lang_content.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace cs::lang {

namespace fs = std::filesystem;

std::vector<std::string> languageTemplateHeader() {
    return {
        "[LANGUAGE]",
        "",
        "; This file contains examples of texts in English",
        "; Complete the words by your country language",
        "; Save this file to the language extension *.lng",
        "; In the directory where the editor",
        "",
    };
}

namespace {

std::string templateText() {
    std::string text;
    for (const std::string& line : languageTemplateHeader())
        text += line + "\r\n";
    const std::vector<std::string> english = splitLines(kEnglishLng);
    // The English file starts with its own "[LANGUAGE]" line, already written above.
    for (std::size_t i = 1; i < english.size(); ++i)
        text += english[i] + "\r\n";
    return text;
}

// Closes the descriptor and removes the temporary file unless released.
class TempFile {
public:
    explicit TempFile(fs::path path) : path_(std::move(path)) {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    ~TempFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!kept_)
            ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool write(const std::string& data) {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    bool close() {
        const bool ok = ::fsync(fd_) == 0 && ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }
    void keep() { kept_ = true; }

private:
    fs::path path_;
    int fd_ = -1;
    bool kept_ = false;
};

} // namespace

bool WriteLanguageTemplate(const fs::path& path, std::string& error) {
    std::error_code ec;
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path(), ec);
        if (ec) {
            error = "cannot create folder " + path.parent_path().string() + ": " + ec.message();
            return false;
        }
    }
    fs::path temp = path;
    temp += ".tmp";
    TempFile file(temp);
    if (!file.isOpen()) {
        error = "cannot create " + temp.string() + ": " + std::strerror(errno);
        return false;
    }
    if (!file.write(templateText()) || !file.close()) {
        error = "cannot write " + temp.string() + ": " + std::strerror(errno);
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    file.keep();
    return true;
}

} // namespace cs::lang
