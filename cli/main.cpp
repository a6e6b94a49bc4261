// tolvar-extract: the batch front end. It runs the conversion run of the
// progress window without a display, for scripts and servers.

#include "BatchExtraction.h"
#include "ExtractCommandLine.h"
#include "FileList.h"
#include "FrontEndNotice.h"
#include "ProgressDisplay.h"
#include "StopSignals.h"
#include "TrackListing.h"
#include "media/DecoderRegistration.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <iterator>
#include <unistd.h>

int main(int argc, char** argv) {
  // A reader of the output that has gone away must not end the run halfway.
  std::signal(SIGPIPE, SIG_IGN);

  ParsedCommandLine parsed = ParseExtractCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (parsed.request) {
    case CommandLineRequest::Help:
      std::fputs(ExtractUsageText().c_str(), stdout);
      return 0;
    case CommandLineRequest::Version:
      std::printf("tolvar-extract (Tolvar Audio Extractor) %s\n", TOLVAR_VERSION);
      return 0;
    case CommandLineRequest::UsageError:
      std::fprintf(stderr, "tolvar-extract: %s\nTry 'tolvar-extract --help' for more information.\n",
                   parsed.usageError.c_str());
      return 2;
    case CommandLineRequest::Extract:
      break;
  }
  // Read while Ctrl+C still ends the program at once: a list on a terminal or
  // behind a slow pipe may take long to end, and nothing has started yet.
  if (parsed.options.filesFrom) {
    const std::string& listPath = *parsed.options.filesFrom;
    FileListReading list = ReadFileList(listPath, parsed.options.nulSeparated ? '\0' : '\n');
    if (!list.failure.empty()) {
      std::fprintf(stderr, "tolvar-extract: cannot read the file list %s: %s\n", listPath.c_str(),
                   list.failure.c_str());
      return 2;
    }
    std::vector<std::string>& files = parsed.options.files;
    files.insert(files.end(), std::make_move_iterator(list.names.begin()), std::make_move_iterator(list.names.end()));
  }

  // Before any thread exists, so that none of them is ever hit by these.
  StopSignals stopSignals({SIGINT, SIGTERM, SIGHUP});
  QCoreApplication application(argc, argv);
  InitMediaLibraries();
  stopSignals.Listen();
  ProgressDisplay progress(STDERR_FILENO, ProgressDisplay::ModeFor(STDERR_FILENO, parsed.options.quiet));
  FrontEndNotice notice(progress);
  INotice::SetCurrent(&notice);
  int status = 0;
  if (parsed.options.listTracks) {
    status = ListTracks(parsed.options.files, notice, stdout);
  } else {
    BatchExtraction extraction(parsed.options, progress, notice, stopSignals);
    status = extraction.Run(stdout);
  }
  INotice::SetCurrent(nullptr);
  return status;
}
