#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TManifest.h"

// The generated workloads. Each lives in its own folder holding the two trees
// A (source) and B (target) and manifest.txt. Every file has the same size and
// modification time on both sides, so a comparison has to read its contents.
//
//   many-small  100,000 files in 5,000 folders per tree, sizes log-normal from
//               0 to 256 KiB; B is a copy of A with 0.5% of the files changed
//               in one byte, 0.2% deleted, 0.2% added and a few renamed only in
//               letter case. Scale multiplies the counts of files and folders.
//   few-large   20 files of 64 to 256 MiB; in B one file differs in its last
//               byte. Scale multiplies the sizes.
//   stop-pair   one pair of equal 2 GiB files, for the stop-latency
//               measurement. Scale multiplies the size.
//   vendored    a project of 20,000 files per tree, 90% of them in
//               node_modules/ folders (nested ones too) and .git/, sizes as in
//               many-small; B differs from A only outside those folders (2% of
//               the source files changed in one byte, 1% deleted, 1% added),
//               so that a run excluding them has the same answer. Scale
//               multiplies the counts.
//   moved       20,000 files in 1,000 folders per tree, sizes as in
//               many-small but never empty; in B 10% of the files lie
//               elsewhere with the same bytes and time: half in another
//               folder, half in folders only B has, a quarter of them under
//               another name too. Scale multiplies the counts.
//
// The same workload, scale and seed give the same names, sizes, times and
// bytes on every run.
namespace Workload {
inline const std::string ManySmall = "many-small";
inline const std::string FewLarge = "few-large";
inline const std::string StopPair = "stop-pair";
inline const std::string Vendored = "vendored";
inline const std::string Moved = "moved";
inline const std::vector<std::string> All = {ManySmall, FewLarge, StopPair, Vendored, Moved};
// The patterns that leave vendored's dependency and version-control folders out.
inline const std::vector<std::string> VendoredExcludes = {"node_modules/", ".git/"};
}  // namespace Workload

// Generates `workload` into `folder` (created; it must not exist) and returns
// its manifest. Throws std::runtime_error on a file-system failure or an
// unknown workload.
TManifest GenerateWorkload(const std::string& workload, double scale, uint64_t seed,
                           const std::string& folder);

// Makes sure `folder` holds the workload: keeps it when its manifest has the
// same parameters and both trees still hold the counted files and folders,
// otherwise removes the folder and generates it anew (then flushes the data to
// disk, so that write-back does not disturb later timings). `generated` tells
// which happened.
TManifest PrepareWorkload(const std::string& workload, double scale, uint64_t seed,
                          const std::string& folder, bool& generated);
