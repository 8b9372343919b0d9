#ifndef TALLOWGATE_TOOLS_DECODER_FIELD_CHECK_H_
#define TALLOWGATE_TOOLS_DECODER_FIELD_CHECK_H_

#include <cstdint>
#include <string>

#include "message_scan.h"

namespace tallowgate {

// The most points one field may have, and so the most values it may decode to: about four times the
// largest real product grid (24.5 million points). 100 million doubles are 800 MB; a damaged count
// beyond that would have the decoding library ask for more memory than any product needs.
inline constexpr std::uint64_t kMaxFieldPoints = 100'000'000;

// Checks every field of `message` against its own sections, before anything is asked to decode its
// values, so that a damaged message is refused instead of decoded past its buffers:
// - its sections chain up to the "7777", each long enough for the octets read from it, and each
//   field has a grid, a packing and a bitmap section (or one defined earlier in the message);
// - the grid has at most kMaxFieldPoints points; the bitmap covers them all;
// - the packing section's count of packed values is the grid's points, or the points the bitmap
//   keeps;
// - the data section holds what the packing needs: the bits of simple packing, the bytes of IEEE
//   values, and every group of complex packing, whose lengths add up to the packed values;
// - a JPEG 2000 code stream's header (read by OpenJPEG) describes one unsigned component of exactly
//   the packed values; a PNG image has exactly the packed values; CCSDS parameters are ones the
//   entropy decoder accepts (1 to 32 bits a sample, a block size of 8, 16, 32 or 64 samples, or any
//   even one where the message says the standard is not enforced, 1 to 4096 blocks between
//   reference samples, restricted coding only up to 4 bits).
// A constant field (0 bits a value and nothing in its data section) has no stream to check.
// Throws DecoderFatal "<place>: <what is wrong>" for the first field that fails, with ", field M"
// after `place` in a message of several fields. Reads nothing beyond message.bytes.
void check_fields(const GribMessage& message, const std::string& place);

}  // namespace tallowgate

#endif  // TALLOWGATE_TOOLS_DECODER_FIELD_CHECK_H_
