// SHA-256 of a byte string, as a lower-case hex digest: the fingerprint the
// golden-output tests record coded streams by.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::string Sha256Hex(const std::vector<uint8_t>& data);
