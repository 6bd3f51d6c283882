// The size check of the coordinate array. On a 32-bit system 3 doubles per atom pass the largest
// size an allocation can have long before the atom count passes the int range, so the check
// refuses such counts there; on a 64-bit system every count the header's int holds must reach
// the allocation. A case cannot tell these apart: the allocation of the largest counts fails on
// most machines, with the message of the refusal. Here the allocation is watched, never made.
#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <new>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/contained_call.h"

namespace {
unsigned long long watched_bytes = 0;  // the last array asked for above 1 GiB
}  // namespace

// The program asks for its arrays this way and reports a failure itself. For the whole test
// program: no test gets an array above 1 GiB, which only the largest counts ask for.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (size > (std::size_t{1} << 30)) {
    watched_bytes = size;
    return nullptr;
  }
  try {
    return ::operator new[](size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

namespace {

TEST(AtomCountLimit, EveryCountTheSystemCanHoldReachesTheAllocation) {
  struct Row {
    int atoms;
    unsigned long long bytes;  // asked for; 0 when refused before any allocation
  };
  // 64-bit: up to the largest int. 32-bit: up to 89,478,485 atoms, 2,147,483,640 bytes.
  const std::vector<Row> rows = sizeof(void*) > 4
                                    ? std::vector<Row>{{INT_MAX, 51539607528ull}}
                                    : std::vector<Row>{{89478485, 2147483640ull}, {89478486, 0}};
  for (const Row& row : rows) {
    ResetCfgState();
    cfg_state.ntotal = row.atoms;
    cfg_state.ntypes = 1;
    cfg_state.ni = {row.atoms};
    cfg_state.type_start = {0, row.atoms};
    watched_bytes = 0;
    // Refused, or the watched allocation failed.
    const ContainedRun run = RunContained([] { const SimpleCfg cfg; });
    EXPECT_EQ(run.console, "Sorry, cannot create SimpleCfg.\n") << row.atoms;
    EXPECT_EQ(watched_bytes, row.bytes) << row.atoms;
  }
}

}  // namespace
