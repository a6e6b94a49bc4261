#pragma once

#include "TaskResult.h"

#include <string>
#include <vector>

// The in-process progress line, "Extracting Audio From NAME  :  P% Completed",
// with the task's row title as NAME. A name longer than 40 characters is cut
// to its first 40 and "..."; a percent past 100 reads 99 (100 stays 100).
std::string ExtractingAudioLine(const std::string& rowTitle, int percent);

// The closing report of a run in which some task did not convert: each such
// file with its reason, then where the converted ones are.
std::string FailureReportText(const std::vector<TaskResult>& results, const std::string& outputFolder);
