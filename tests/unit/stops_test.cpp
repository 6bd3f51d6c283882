// Stops that whole runs cannot reach cheaply: the binary reader on a header cut at every length
// and on a file that changed between the header read and the load, the exceptions of the C++
// library, which no input provokes on purpose, and the size check of the coordinates.
#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "config/cfg_state.h"
#include "config/simple_cfg.h"
#include "driver/console.h"
#include "driver/contained_call.h"
#include "driver/conversion.h"
#include "driver/program.h"
#include "driver/whole_file.h"

namespace {

// A file of the given bytes in the temporary folder, opened in binary mode as the readers take
// it (they read only streams of open files), and removed again when the test is done with it.
class ContentFile {
 public:
  explicit ContentFile(const std::string& content) {
    static int files = 0;  // test processes run side by side, each test in its own
    const char* test = testing::UnitTest::GetInstance()->current_test_info()->name();
    path_ = std::filesystem::temp_directory_path() /
            ("cfg2cmtx-unit-" + std::string(test) + "-" + std::to_string(++files));
    std::ofstream(path_, std::ios::binary) << content;
    stream.open(path_, std::ios::binary);
  }
  ~ContentFile() {
    stream.close();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  std::ifstream stream;

 private:
  std::filesystem::path path_;
};

// A little-endian field of `count` bytes, written byte by byte apart from the reader's code.
std::string Bytes(std::uint64_t bits, int count) {
  std::string out;
  for (int b = 0; b < count; ++b) out.push_back(static_cast<char>((bits >> (8 * b)) & 0xFFu));
  return out;
}

// A header of the given atoms, per-type counts and box length 4; lead 0 writes no leading word.
std::string Header(std::uint64_t lead, int atoms = 5, const std::vector<int>& types = {2, 3}) {
  std::string bytes = (lead != 0 ? Bytes(lead, 4) : "") +
                      Bytes(static_cast<std::uint64_t>(atoms), 4) + Bytes(types.size(), 4);
  for (int count : types) bytes += Bytes(static_cast<std::uint64_t>(count), 4);
  return bytes + Bytes(0x4010000000000000u, 8);
}

// The header read of a run whose parameter file names two types.
void ReadHeader(const std::string& bytes) {
  ResetCfgState();
  cfg_state.input_kind = kBinary;
  cfg_state.ntypes_par = 2;
  cfg_state.nused = {1, 1};
  ContentFile file(bytes);
  SimpleCfg::GetParameters_bcf(file.stream);
}

// A count of types cut short keeps the bytes that were read: one byte of the little-endian 2
// already agrees with the parameter file, and the read goes on to the end of the file.
TEST(BinaryHeader, CutAtEveryLengthStops) {
  for (int lead : {0, 4, 8}) {
    const std::string whole = Header(static_cast<std::uint64_t>(lead));
    for (std::size_t length = 0; length <= whole.size(); ++length) {
      SCOPED_TRACE("leading word " + std::to_string(lead) + ", " + std::to_string(length) +
                   " bytes");
      const ContainedRun seen = RunContained([&] { ReadHeader(whole.substr(0, length)); });
      EXPECT_EQ(seen.stopped, length < whole.size());
      if (length == whole.size()) {
        EXPECT_EQ(seen.console, "");
        EXPECT_EQ(cfg_state.type_start, (std::vector<int>{0, 2, 5}));
        EXPECT_EQ(cfg_state.box_scale, 4.0);
      } else if (length <= (lead == 0 ? 4u : 8u)) {
        EXPECT_EQ(seen.console,
                  "The number of atom types (2) in the parametr file is not the same, as the "
                  "number of types \nin the configuration file (0). Cannot run this way, "
                  "exiting...\n");
      } else {
        EXPECT_EQ(seen.console,
                  "****WARNING****\nSimpleCfg::GetParameters_bcf\nEnd of file was reached during "
                  "loading!\nLoading was not successful, cannot run this way, exiting\n");
      }
    }
  }
}

const char kIgnored[] =
    "The binary file will be ignored, the data from the .cfg file will be used!\n";

// The load opens the file again and compares its header with what the header read took: a file
// rewritten in between is refused with its first difference, and the run stops rather than write
// coordinates that were never loaded.
TEST(BinaryLoad, ComparesTheHeaderReadAgain) {
  struct Row {
    const char* what;
    std::optional<std::string> file;  // none: a stream that was never opened
    bool loaded;
    std::string out;
  };
  const std::string stop =
      "No configuration could be loaded from the binary file, cannot run this way, exiting...\n";
  const std::string refused = kIgnored + stop;
  const std::string coordinates(120, '\0');
  const std::vector<Row> rows = {
      {"the same file", Header(8) + coordinates, true, ""},
      {"no file", std::nullopt, false,
       "SimpleCfg::Load_binary - file not open or non-existing.\n"
       "The configurations from the text type .cfg file will be used!\n" +
           stop},
      {"more atoms", Header(0, 6, {2, 4}) + coordinates, false,
       "INCONSISTENCY! The number of atoms is 5 from the .cfg file, and \n"
       "6 from the binary .bcf file!\n" +
           refused},
      {"cut after the atom count", Header(0).substr(0, 4), false,
       "INCONSISTENCY! The number of atom types is 2 from the .cfg file, and \n"
       "0 from the binary .bcf file!\n" +
           refused},
      {"more types", Header(8, 5, {2, 2, 1}) + coordinates, false,
       "INCONSISTENCY! The number of atom types is 2 from the .cfg file, and \n"
       "3 from the binary .bcf file!\n" +
           refused},
      {"first type size", Header(4, 5, {3, 1}) + coordinates, false,
       "INCONSISTENCY! The number of atoms for type 1 is 2 from the .cfg file, and \n"
       "3 from the binary .bcf file! (Starting with 1)\n" +
           refused},
      {"second type size", Header(0, 5, {2, 1}) + coordinates, false,
       "INCONSISTENCY! The number of atoms for type 2 is 3 from the .cfg file, and \n"
       "1 from the binary .bcf file! (Starting with 1)\n" +
           refused},
      {"cut in the box length", Header(0).substr(0, 20), false,
       "Loading of the main parameters of the configurations from the .bcf file has failed!\n"
       "****WARNING****\nSimpleCfg::::GetParameters_bcf\nEnd of file was reached during "
       "loading!\nLoading was not successful, cannot run this way, exiting\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const ContainedRun seen = RunContained([&] {
      ReadHeader(Header(0));
      SimpleCfg cfg;
      cfg.coords[14] = -7.0;
      ContentFile file(row.file.value_or(""));
      if (!row.file) file.stream.close();
      LoadConfiguration(cfg, file.stream, 0);
      EXPECT_EQ(cfg.coords[14], 0.0);
    });
    EXPECT_EQ(seen.stopped, !row.loaded);
    // Only a load that went well ends with the configuration's release reported; a fatal stop
    // unwinds through it here without a word, as an exception does in the program.
    EXPECT_EQ(seen.console, row.out + (row.loaded ? "SimpleCfg destructor\n" : ""));
  }
}

// Memory exhausted, or a file-system or stream error: the run stops as every fatal problem does,
// saying what failed, whatever stage throws.
TEST(Program, ExceptionsStopThroughTheFatalPath) {
  const std::string failed = "The run has failed: ";
  const std::string last = "\nCannot run this way, exiting...\n";
  struct Row {
    void (*help)();
    std::string first;   // how the output begins
    std::string detail;  // what the library said
    std::string end;     // how it ends
  };
  const std::string memory =
      "There is not enough memory for this run, cannot run this way, exiting...\n";
  const Row rows[] = {
      {[] { throw std::bad_alloc(); }, memory, memory, memory},
      {[] {
         throw std::filesystem::filesystem_error("cannot look into the folder",
                                                 std::make_error_code(std::errc::io_error));
       },
       failed, "cannot look into the folder", last},
      {[] { throw std::ios_base::failure("the stream broke"); }, failed, "the stream broke", last},
  };
  for (const Row& row : rows) {
    Converter converter = kToCrystalMaker;
    converter.print_help = row.help;
    const char* const argv[] = {"cfg2cmtx", "p.par"};
    const ContainedRun seen = RunContained([&] { RunProgram(2, argv, converter); });
    EXPECT_TRUE(seen.stopped);
    EXPECT_EQ(seen.console.rfind(row.first, 0), 0u) << seen.console;
    EXPECT_NE(seen.console.find(row.detail), std::string::npos) << seen.console;
    ASSERT_GE(seen.console.size(), row.end.size());
    EXPECT_EQ(seen.console.substr(seen.console.size() - row.end.size()), row.end);
  }
}

// An exception on its way out of a writer leaves the earlier file of the name, and no temporary.
TEST(WholeFile, AnExceptionLeavesTheEarlierFile) {
  const std::filesystem::path name = std::filesystem::temp_directory_path() / "cfg2cmtx-unit";
  std::ofstream(name, std::ios::binary) << "earlier";
  try {
    WholeFile file(name.u8string());
    file.OpenAsking("label");
    file.out() << "half" << std::flush;
    throw std::bad_alloc();
  } catch (const std::bad_alloc&) {
  }
  std::ifstream kept(name, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "earlier");
  EXPECT_FALSE(std::filesystem::exists(name.u8string() + ".tmp"));
  kept.close();
  std::filesystem::remove(name);
}

}  // namespace

// The size check of the coordinate array. On a 32-bit system 3 doubles per atom pass the largest
// size an allocation can have long before the atom count passes the int range, so the check
// refuses such counts there; on a 64-bit system every count the header's int holds must reach
// the allocation. A case cannot tell these apart: the allocation of the largest counts fails on
// most machines, with the message of the refusal. Here the allocation is watched, never made.
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
