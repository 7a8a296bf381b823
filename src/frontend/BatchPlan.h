#pragma once
#include "frontend/BatchInputs.h"
#include "frontend/BatchReport.h"
#include "frontend/BatchSong.h"

#include <set>
#include <string>
#include <vector>

namespace notecast {

class SongLengthDB;
struct RunOptions;

// What a batch will do, settled before anything is written.
struct BatchPlan {
    std::vector<SongTask> tasks;          // the conversions, in the report's order
    std::vector<std::size_t> tuneOfTask;  // index of each task's tune, counted from 0
    std::size_t tunes = 0;
    std::vector<SongRow> refused;         // files and songs that are not converted
    std::set<std::string> inputFiles;     // every file a tune is read from (identity())
};

// The same file under any spelling of its path; also for files that do not
// exist yet.
std::string identity(const std::string& path);

// The songs of the examined inputs (all of them with -all), each with its
// playing time (-t, else the database length plus one second, else 90
// seconds) and its output. A tune reached by its data file and by its info
// file is one tune. A song whose output would be an input file, the report
// file or the output of an earlier song is refused. database is null when
// none was loaded.
BatchPlan planBatch(const std::vector<BatchInput>& examined, const RunOptions& run,
                    SongLengthDB* database);

} // namespace notecast
