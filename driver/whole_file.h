// An output file that replaces an earlier file of its name only once it is whole. It is written
// as NAME.tmp beside its final name and renamed when closed, so that a full disk, a killed run or
// a machine that stops leaves the earlier file as it was, never a half-written one.
#ifndef CFG2CMTX_DRIVER_WHOLE_FILE_H
#define CFG2CMTX_DRIVER_WHOLE_FILE_H

#include <filesystem>
#include <fstream>
#include <string>

class WholeFile {
 public:
  explicit WholeFile(const std::string& name);
  // Removes the temporary file unless it was put in place: an exception that ends the run
  // passes through here.
  ~WholeFile();
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;

  // Opens the temporary file through OpenForSave: the retry dialogue under label.
  void OpenAsking(const std::string& label);
  // Opens the temporary file without asking; false when it cannot be opened.
  bool TryOpen();
  std::ofstream& out() { return out_; }

  // Closes the temporary file and renames it into place. False when a write or the close failed,
  // or the rename did; the temporary file is then removed.
  bool TryPutInPlace();
  // As the writers end a file: a write that failed stops the run, and a rename that fails (a
  // folder in the way, or a file another program holds open on Windows) asks to try again, as
  // an output file that cannot be opened does.
  void PutInPlace(const std::string& label);

 private:
  bool Written();
  void Discard();

  std::string name_;
  std::filesystem::path path_;
  std::filesystem::path temporary_;
  std::ofstream out_;
  bool pending_ = false;  // a temporary file of ours stands on disk
};

#endif
