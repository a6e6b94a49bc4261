#pragma once

#include "convert/Task.h"
#include "media/AudioTrack.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

// The columns of a task's row in the main window's list.
enum TaskColumn { kTitleColumn, kStartColumn, kEndColumn, kSourceFormatColumn, kOutputFormatColumn, kColumnCount };

using TaskRowTexts = std::array<std::string, kColumnCount>;

// The task table and the rows that show it, kept in step: row i shows task i.
// It also holds what the rules read from the window: the selected row and the
// chosen output format. Messages go through the notice interface.
//
// The window mirrors this object: after every operation it calls (or that a
// drop calls on its behalf) it shows Rows() and GetSelectedRow() again, and
// it reports the user's own selection with SelectRow. At most kMaxTasks rows
// make that cheap, and the window can never drift out of step.
class CTaskList {
 public:
  // The batch front end, which shows no rows, lifts the limit.
  static constexpr int kUnlimited = std::numeric_limits<int>::max();
  explicit CTaskList(int maxTasks = kMaxTasks) : maxTasks_(maxTasks) {}

  int GetTaskCount() const { return static_cast<int>(tasks_.size()); }
  // The tasks in row order, as the run and the preview read them.
  const std::vector<Task>& Tasks() const { return tasks_; }
  const std::vector<TaskRowTexts>& Rows() const { return rows_; }

  // -1 when no row is selected.
  int GetSelectedRow() const { return selectedRow_; }
  // A row outside the list selects none.
  void SelectRow(int row);

  // A FormatCode, or 0 when no format is chosen.
  int GetCheckedFormat() const { return checkedFormat_; }
  // A format button or menu entry: chooses it (0, or a code that names no
  // format, chooses none) and shows the output format on every row. Original
  // shows each row's own container with a copy mark, "M4A (copy)", and
  // "(copy)" for a source whose container cannot be told; it probes the
  // sources not probed before, so that adding files probes nothing more
  // while another format is chosen.
  void CheckOutputFormat(int formatCode);
  // The extension of the chosen format's files: "mp3", "wav", "ac3", "m4a",
  // "flac" or "opus"; "mp3" when none is chosen. Empty for Original, whose
  // files take each source's own.
  std::string GetOutputExtension() const;
  // The extension of row `row`'s output: GetOutputExtension, or for
  // Original the one its source's codec gets, probed once ("mka" when the
  // source cannot be probed).
  std::string OutputExtensionOf(int row);

  // The audio tracks of the row's source, as probed when it was added; empty
  // when the probe could not list them.
  const AudioTracks& AudioTracksOf(int row) const { return probes_[row].tracks; }
  // The track the row's task converts: the chosen one, else the default
  // one (DefaultTrackNumber); 0 when the source shows no audio track.
  int TrackInUse(int row) const;
  // That track itself; nullptr when the source shows no audio track.
  const AudioTrack* TrackInUseOf(int row) const { return FindTrack(AudioTracksOf(row), TrackInUse(row)); }
  // Chooses track `number` of the row's source for its task. False, with
  // nothing changed, for a row or track that is not there or a track
  // without sound. Original's cell follows the track's codec.
  bool ChooseTrack(int row, int number);
  // Chooses in every task the track in `language` (TrackOfLanguage) where
  // its source has one; the others keep theirs. The number of tasks whose
  // source has one.
  int UseLanguageForEveryTask(const std::string& language);
  // The row's track as the list shows it beside the text's columns: "2" or
  // "2 (fre)" with the container's language tag; empty without audio.
  std::string TrackCellOf(int row) const;

  // Probes the file and appends it as a task with a selected row, or tells
  // the user why not. True when a task was added.
  bool AddSourceFile(std::string path);
  // The files added between BeginAdd and EndAdd are one add (a selection of
  // the Open dialog, a drop, the command line): those past the list's limit
  // are left out without a box each, and EndAdd tells in one box how many.
  void BeginAdd();
  void EndAdd();
  // The list's drop callback: every accepted dropped path is added. Returns 0.
  int OnFileDropped(const std::string& path, uint32_t kind);

  // The clip window's OK: the task's clip and the row's Start and End cells.
  void StoreClip(int row, double clipStart, double clipLength, const std::string& startCell,
                 const std::string& endCell);

  // Asks, then deletes the selected task.
  void OnDeleteFile();
  // Asks, then deletes every task.
  void OnDeleteAll();

 private:
  // Original's extension for the row's source, empty when it cannot be told.
  const std::string& OriginalExtension(int row);
  std::string OutputFormatCell(int row);

  // What the list learnt of a task's source.
  struct SourceProbe {
    AudioTracks tracks;
    // The container Original writes for the task's track, once probed;
    // empty when it cannot be told.
    std::optional<std::string> originalExtension;
  };

  std::string ListFullText() const;

  int maxTasks_;
  bool addUnderway_ = false;
  int leftOutOfAdd_ = 0;
  std::vector<Task> tasks_;
  std::vector<TaskRowTexts> rows_;
  std::vector<SourceProbe> probes_;  // in step with the tasks
  int selectedRow_ = -1;
  int checkedFormat_ = 0;
};
