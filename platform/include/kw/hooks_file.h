// Test hooks for the layer's files: failing opens, a disk that fills up, and
// the moves waiting for a restart.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "win/base.h"

namespace kw::hooks {

// Makes CreateFile fail with `error`: the `n`-th open from now (1 = the next
// one) and, when `sticky`, every one after it. n = 0 turns this off.
void FileFailOpenAt(uint64_t n, bool sticky = false, DWORD error = ERROR_ACCESS_DENIED);
// Makes every CreateFile of a path matching `pattern` (Windows wildcards * and
// ?, ignoring case, matched against the full Windows path) fail with `error`.
// An empty pattern turns this off.
void FileFailOpenMatching(const std::u16string& pattern, DWORD error = ERROR_ACCESS_DENIED);
// The disk fills up after `bytes` more bytes have been written through
// WriteFile or CopyFile: the write that crosses the limit stores what fits and
// fails with ERROR_DISK_FULL, as do all later writes. UINT64_MAX turns it off.
void FileDiskFullAfter(uint64_t bytes);
// Turns every file fault off.
void FileResetFaults();

// Opens made so far through CreateFile (successful or not).
uint64_t FileOpenCount();
// File handles currently open.
size_t FileLiveHandles();
// MoveFileEx requests with MOVEFILE_DELAY_UNTIL_REBOOT not yet carried out:
// (from, to) Windows paths; an empty `to` deletes `from`.
std::vector<std::pair<std::u16string, std::u16string>> FilePendingMoves();
// Carries out the pending moves, as a restart would, and forgets them.
void FileRunPendingMoves();

}  // namespace kw::hooks
