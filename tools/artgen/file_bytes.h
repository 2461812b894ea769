// Whole files as bytes: what artgen writes, and reads back to prove it was written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes);

// Replaces the file; false when it cannot be written completely.
bool WriteWholeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
