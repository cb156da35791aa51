#include "settings/memory_settings_store.h"
#include "settings_store_contract.h"

namespace cs::test {
namespace {

struct MemoryStoreFixture {
    MemorySettingsStore memory;
    SettingsStore& store() { return memory; }
    void reopen() {}
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, SettingsStoreContract, ::testing::Types<MemoryStoreFixture>);

} // namespace
} // namespace cs::test
