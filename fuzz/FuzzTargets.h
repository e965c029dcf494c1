#pragma once
// The parsers of stored files, each as one entry point taking untrusted bytes.
#include <cstddef>
#include <cstdint>

int FuzzBufferFile(const uint8_t* data, size_t size);
// Reads the bytes as a calendar, a date, a file-name and an effect pattern file, and
// writes them back.
int FuzzPatternFile(const uint8_t* data, size_t size);
int FuzzBitmapFile(const uint8_t* data, size_t size);
int FuzzJpegFile(const uint8_t* data, size_t size);
int FuzzIconFile(const uint8_t* data, size_t size);
// Reads through one of our picture-loader plug-ins (FUZZ_PLUGIN names its file), as the
// host does, 128-byte-prefix retry included.
int FuzzPlugin(const uint8_t* data, size_t size);
