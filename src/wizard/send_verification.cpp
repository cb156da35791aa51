#include "wizard/send_verification.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdlib.h>

namespace cs::wizard {

namespace fs = std::filesystem;

std::optional<VerificationFolder> VerificationFolder::create(std::string& error) {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec)
        base = "/tmp";
    std::string pattern = (base / "channelsettings-verify-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        error = std::string(kVerifyNoFolder) + " " + pattern + ": " + std::strerror(errno);
        return std::nullopt;
    }
    return VerificationFolder(fs::path(pattern));
}

VerificationFolder::VerificationFolder(VerificationFolder&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
}

VerificationFolder& VerificationFolder::operator=(VerificationFolder&& other) noexcept {
    if (this != &other) {
        remove();
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

VerificationFolder::~VerificationFolder() { remove(); }

void VerificationFolder::remove() {
    if (path_.empty())
        return;
    std::error_code ec;
    fs::remove_all(path_, ec);
    path_.clear();
}

VerificationOutcome verificationOutcome(ReceiveBackEnd end, const std::string& failure,
                                        std::span<const std::uint8_t> sent, const fs::path& receivedFile) {
    VerificationOutcome outcome;
    switch (end) {
    case ReceiveBackEnd::Cancelled:
        outcome.text = std::string(kVerifyCancelledHeadline) + "\n";
        return outcome;
    case ReceiveBackEnd::Failed:
        outcome.text = std::string(kVerifyFailedHeadline) + "\n" + (failure.empty() ? "" : failure + "\n");
        return outcome;
    case ReceiveBackEnd::Received:
        break;
    }
    std::error_code ec;
    if (receivedFile.empty() || !fs::is_regular_file(receivedFile, ec)) {
        outcome.text = std::string(kVerifyNothingArrived) + "\n";
        return outcome;
    }
    std::ifstream in(receivedFile, std::ios::binary);
    const std::vector<std::uint8_t> received((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const ImageComparison comparison = compareImageBytes(sent, received);
    outcome.identical = comparison.identical();
    outcome.text = comparisonReport(comparison);
    return outcome;
}

} // namespace cs::wizard
