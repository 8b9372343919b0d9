#ifndef TALLOWGATE_TOOLS_DECODER_G_FORMAT_H_
#define TALLOWGATE_TOOLS_DECODER_G_FORMAT_H_

namespace tallowgate {

// The longest text append_g writes: "-1.23457e+38", "-0.000123457".
inline constexpr int kMaxGChars = 12;
// The bytes at `out` append_g may store to: it lays the text down in whole 8-byte pieces.
inline constexpr int kGScratchChars = 16;

// Writes at `out` the bytes C's printf("%g") writes for `value` promoted to double: six significant
// digits rounded half to even on the exact binary value, trailing zeros and a bare point dropped,
// fixed notation for decimal exponents -4 to 5 and d.ddddde+XX otherwise. 273.15f gives "273.15",
// 1e-5f "1e-05", 1.2345678e7f "1.23457e+07", 999999.5f "1e+06", -0.0f "-0"; infinities and NaN give
// "inf", "-inf", "nan", "-nan". Returns the end of the text, at most kMaxGChars past `out`; no NUL.
// Bytes past the end, up to kGScratchChars from `out`, may be overwritten.
char* append_g(float value, char* out);

}  // namespace tallowgate

#endif  // TALLOWGATE_TOOLS_DECODER_G_FORMAT_H_
