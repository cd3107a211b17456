// The spool output stream of a PDEV: every byte for the printer passes here on
// its way to WritePrinter. Output is batched in a 4096-byte block; a page can
// be held back in a staging buffer until it is known to fit the printer's memory.
#pragma once
#include "windows.h"

struct PDEV;

constexpr DWORD kSpoolBlockSize = 4096;

// Stream state kept in the PDEV. Fill positions are counts from the start of
// each buffer.
struct SpoolStream {
  BYTE* block;         // kSpoolBlockSize bytes while a document's buffers exist
  DWORD blockCount;    // bytes held, 0..4095 between calls
  BYTE* staging;       // present only while staging is on
  DWORD stagingCount;  // bytes held
  DWORD stagingSize;   // bytes allocated
  ULONGLONG stagingLimit;  // printer memory in bytes; 0: the model gives none
};

// A new PDEV's stream: no buffers, nothing held.
void SpoolInit(PDEV* pdev);
// The document's block buffer (zero-filled); FALSE when out of memory.
BOOL SpoolAllocBlock(PDEV* pdev);
// Releases the block and staging buffers and turns staging off.
void SpoolFreeBuffers(PDEV* pdev);

// The printer's memory from the model data, in KB (0: not given).
void SpoolSetStagingLimit(PDEV* pdev, DWORD memoryKB);
// Turns staging on with a buffer of limit + limit / 10 + 1024 bytes. FALSE,
// staging off, when the model gives no memory size or the buffer cannot be had.
BOOL SpoolStartStaging(PDEV* pdev);
// Throws away what the page produced so far: both buffers become empty.
void SpoolDiscardPage(PDEV* pdev);

// Writes `count` bytes (to the staging buffer when staging is on). `*written`
// receives `count` on success and 0 on failure.
BOOL SpoolWrite(PDEV* pdev, const void* bytes, INT count, DWORD* written);
// Moves staged bytes to the block and hands the block to the spooler.
BOOL SpoolFlush(PDEV* pdev);
