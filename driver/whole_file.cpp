#include "driver/whole_file.h"

#include <system_error>

#include "driver/console.h"

WholeFile::WholeFile(const std::string& name) : name_(name) {
  // A name that no file can have leaves both paths empty: the opening then fails.
  if (FilePath(name, path_)) FilePath(name + ".tmp", temporary_);
}

WholeFile::~WholeFile() {
  if (pending_) Discard();
}

void WholeFile::OpenAsking(const std::string& label) {
  OpenForSave(out_, temporary_, label, 1);
  pending_ = true;
}

bool WholeFile::TryOpen() {
  out_.open(temporary_, std::ios::out | std::ios::trunc | std::ios::binary);
  pending_ = out_.is_open();
  return pending_;
}

bool WholeFile::Written() {
  out_.close();  // a write that failed earlier leaves the stream failed through the close
  if (!out_.fail()) return true;
  Discard();
  return false;
}

void WholeFile::Discard() {
  out_.close();
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
  pending_ = false;
}

bool WholeFile::TryPutInPlace() {
  if (!Written()) return false;
  std::error_code error;
  std::filesystem::rename(temporary_, path_, error);
  if (error) Discard();
  pending_ = false;
  return !error;
}

void WholeFile::PutInPlace(const std::string& label) {
  if (!Written()) StopAfterWriteFailure(label, name_);
  for (;;) {
    std::error_code error;
    std::filesystem::rename(temporary_, path_, error);
    if (!error) break;
    if (!AskToTryAgain(label)) {
      Discard();
      FatalStop({kNoReply});
    }
  }
  pending_ = false;
}
