// Reorganisation: a data file and its index rebuilt from the records, deleted records dropped;
// and the recovery after an abnormal end, which reorganises every data file of the dictionary.
//
// The data file is first renamed to its reorganisation copy ("TMP"); the copy is deleted only
// after the rebuilt file was closed successfully. A copy found with no data file beside it is
// what an interrupted reorganisation left: the file is rebuilt from it. A copy found beside a
// data file that holds records the copy lacks is never touched (165).
#pragma once

#include <cstdint>
#include <functional>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// Called for each record read from the copy with the record's key-1 value and the number of
// records in the copy; a status other than 0 stops the reorganisation (the data is put back).
using ReorgProgress = std::function<Status(StrRef key, uint32_t total)>;

// Rebuilds the file; it is closed afterwards. 131 when the data file cannot be renamed (nothing
// changed) or the copy ends in an incomplete record (the rebuilt file holds every whole record,
// the copy is kept); 165 for a copy beside a data file with other records; a failure of the
// rebuild puts the data file back as it was.
[[nodiscard]] Status FileReorganize(uint8_t file, const ReorgProgress& progress);
// Reorganises every file of the dictionary that has a data file or a copy; all are tried, the
// first failure is the result.
[[nodiscard]] Status RecoverDataFiles(const ReorgProgress& progress);

}  // namespace engine
