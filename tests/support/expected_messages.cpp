#include "support/expected_messages.h"

namespace testing_support {

std::string LoadFailure(const std::string& label, bool end_of_file) {
  return "****WARNING****\n" + label + "\n" +
         (end_of_file ? "End of file was reached during loading!\n"
                      : "Loading failed, possibly due to wrong file format!\n") +
         "Loading was not successful, cannot run this way, exiting\n";
}

std::string TypeCountMismatch(int in_parameters, long long in_configuration) {
  return "The number of atom types (" + std::to_string(in_parameters) +
         ") in the parametr file is not the same, as the number of types \n"
         "in the configuration file (" +
         std::to_string(in_configuration) + "). Cannot run this way, exiting...\n";
}

std::string UsedCountLowered(int type, int used, int available) {
  const std::string n = std::to_string(available);
  return "The number of used atoms for type " + std::to_string(type) +
         " (type index begin with 1) is " + std::to_string(used) +
         ", which is greater than\nthe total number of particles for this type, which is " + n +
         "! Setting the  number of used particles\nto " + n + ".\n";
}

std::string ChangedCounts(int conf, const std::string& has, const std::string& first) {
  return "The " + std::to_string(conf) + ". configuration of the file has " + has +
         ", but the first configuration has " + first +
         "!\nAll configurations of a *_coll.cfg file must have the same numbers of atoms, cannot "
         "run this way, exiting...\n";
}

std::string IndexOutOfRange(const std::string& written, int type, int from, int to) {
  return "****WARNING****\nThe atom index " + written +
         " read from the parameter file for CrystalMaker for a " + std::to_string(type) +
         ". type atom is out of range for this type. The range is from " + std::to_string(from) +
         " to " + std::to_string(to) +
         "!\nCheck the configuration file! Cannot run this way, exiting...\n";
}

std::string IndexOutOfRange(long long written, int type, int from, int to) {
  return IndexOutOfRange(std::to_string(written), type, from, to);
}

std::string IndexRepeated(int written) {
  return "****WARNING****\nThe atom index " + std::to_string(written) +
         " is given more than once in the parameter file for CrystalMaker!\n"
         "Check the parameter file! Cannot run this way, exiting...\n";
}

}  // namespace testing_support
