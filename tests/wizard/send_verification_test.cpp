// Verifying a sent database without a window: the temporary folder the receiver's copy lands in,
// and what the user is told for each way the receive back can end.
#include "fixtures/image_builder.h"
#include "support/env_override.h"
#include "wizard/send_verification.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
namespace fx = cs::fixtures;
using namespace cs::wizard;

TEST(SendVerification, TheFolderIsNewAndGoesWithAllItHolds) {
    fx::TempDir tmp;
    const cs::testsupport::EnvOverride tmpdir("TMPDIR", tmp.path().c_str());
    std::string error;
    fs::path made;
    {
        auto folder = VerificationFolder::create(error);
        ASSERT_TRUE(folder) << error;
        made = folder->path();
        EXPECT_EQ(made.parent_path(), tmp.path());
        EXPECT_TRUE(fs::is_empty(made));
        fx::writeFile(made / "settings.dsp", fx::softwareImage(64));
        auto second = VerificationFolder::create(error);
        ASSERT_TRUE(second);
        EXPECT_NE(second->path(), made);
        const VerificationFolder moved = std::move(*folder);
        EXPECT_EQ(moved.path(), made);
        EXPECT_TRUE(fs::exists(made / "settings.dsp"));
    }
    EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST(SendVerification, OnlyAReceivedDatabaseIsCompared) {
    fx::TempDir dir;
    const auto sent = fx::DatabaseImageBuilder(fx::DatabaseFileKind::Settings).channel(0, {}).build();
    fx::writeFile(dir / "same.dsp", sent);
    fx::writeFile(dir / "software.dsp", fx::softwareImage());
    struct Case {
        const char* what;
        ReceiveBackEnd end;
        std::string failure;
        fs::path file;
        bool identical;
        std::string text;
    };
    const Case cases[] = {
        {"identical", ReceiveBackEnd::Received, "", dir / "same.dsp", true, std::string(cs::kIdenticalHeadline)},
        {"cancelled", ReceiveBackEnd::Cancelled, "", dir / "same.dsp", false, std::string(kVerifyCancelledHeadline) + "\n"},
        {"failed", ReceiveBackEnd::Failed, "End connection", dir / "same.dsp", false,
         std::string(kVerifyFailedHeadline) + "\nEnd connection\n"},
        {"no file", ReceiveBackEnd::Received, "", "", false, std::string(kVerifyNothingArrived) + "\n"},
        {"file gone", ReceiveBackEnd::Received, "", dir / "gone.dsp", false, std::string(kVerifyNothingArrived) + "\n"},
        {"no database", ReceiveBackEnd::Received, "", dir / "software.dsp", false,
         "The files cannot be compared. The received file is a software image, not a database.\n"},
    };
    for (const Case& c : cases) {
        const auto outcome = verificationOutcome(c.end, c.failure, sent, c.file);
        EXPECT_EQ(outcome.identical, c.identical) << c.what;
        EXPECT_EQ(outcome.text.substr(0, c.text.size()), c.text) << c.what;
    }
}

} // namespace
