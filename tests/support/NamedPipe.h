#pragma once

#include <functional>
#include <string>

// A named pipe that nobody writes to: a plain open of it for reading waits
// for a writer, for ever if none comes. Removed when the object goes.
class NamedPipe {
 public:
  explicit NamedPipe(std::string path);
  ~NamedPipe();
  NamedPipe(const NamedPipe&) = delete;
  NamedPipe& operator=(const NamedPipe&) = delete;

  const std::string& Path() const { return path_; }

  // Runs `reader` on a thread of its own and tells whether it returned
  // within a bound. One that is still waiting on the pipe then gets a
  // writer that leaves at once, so it returns all the same and the test
  // fails instead of hanging.
  bool ReturnsWithoutAWriter(const std::function<void()>& reader) const;

 private:
  std::string path_;
};
