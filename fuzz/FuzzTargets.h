#pragma once
// The parsers of stored files, each as one entry point taking untrusted bytes.
#include <cstddef>
#include <cstdint>

int FuzzBufferFile(const uint8_t* data, size_t size);
int FuzzBitmapFile(const uint8_t* data, size_t size);
int FuzzJpegFile(const uint8_t* data, size_t size);
int FuzzIconFile(const uint8_t* data, size_t size);
