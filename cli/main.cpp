// tolvar-extract: the batch front end. It runs the conversion run of the
// progress window without a display, for scripts and servers.

#include "BatchExtraction.h"
#include "ExtractCommandLine.h"
#include "FrontEndNotice.h"
#include "ProgressDisplay.h"
#include "StopSignals.h"
#include "TrackListing.h"
#include "media/DecoderRegistration.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
  // Before any thread exists, so that none of them is ever hit by these.
  StopSignals stopSignals({SIGINT, SIGTERM, SIGHUP});
  // A reader of the output that has gone away must not end the run halfway.
  std::signal(SIGPIPE, SIG_IGN);

  const ParsedCommandLine parsed = ParseExtractCommandLine(std::vector<std::string>(argv + 1, argv + argc));
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
