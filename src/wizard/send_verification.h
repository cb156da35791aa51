#pragma once
// Verifying a database after it was sent: the receiver sends all its settings back into a fresh
// temporary folder, and that file is compared with the bytes that were sent. What the user sees
// is decided here, without a window: identical, the differences, or why nothing was compared.
#include "image/image_comparison.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cs::wizard {

// A folder of its own under the system's temporary folder for the file received back; removed
// with everything in it when the object goes. Nothing else is ever written or removed.
class VerificationFolder {
public:
    // nullopt when no folder could be made; `error` says why.
    static std::optional<VerificationFolder> create(std::string& error);
    VerificationFolder(VerificationFolder&& other) noexcept;
    VerificationFolder& operator=(VerificationFolder&& other) noexcept;
    VerificationFolder(const VerificationFolder&) = delete;
    VerificationFolder& operator=(const VerificationFolder&) = delete;
    ~VerificationFolder();

    const std::filesystem::path& path() const { return path_; }

private:
    explicit VerificationFolder(std::filesystem::path path) : path_(std::move(path)) {}
    void remove();
    std::filesystem::path path_;
};

// How receiving the database back ended.
enum class ReceiveBackEnd { Received, Failed, Cancelled };

struct VerificationOutcome {
    bool identical = false;
    std::string text;  // the report shown to the user
};

// `receivedFile` is the file that arrived (empty when none did); `failure` the link's reason
// when the receive failed.
VerificationOutcome verificationOutcome(ReceiveBackEnd end, const std::string& failure,
                                        std::span<const std::uint8_t> sent, const std::filesystem::path& receivedFile);

// The user's texts of the verification (there are no language keys for them).
inline constexpr char kVerifyTitle[] = "Verify after sending";
inline constexpr char kVerifyQuestion[] =
    "The database was sent. Receive it back from the receiver now (\"receive all settings\") and "
    "compare it with the file that was sent? Your files and the open database are not changed.";
inline constexpr char kVerifyFailedHeadline[] =
    "Verification failed: the database could not be received back, so nothing was compared.";
inline constexpr char kVerifyCancelledHeadline[] =
    "Verification cancelled: the database was not received back, so nothing was compared.";
inline constexpr char kVerifyNothingArrived[] =
    "Verification failed: the receiver sent no file back, so nothing was compared.";
inline constexpr char kVerifyNoFolder[] = "Verification is not possible: no temporary folder could be made.";

} // namespace cs::wizard
