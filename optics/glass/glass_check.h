#pragma once
// The checks every glass of a catalog passes when its catalog is read: values any glass has
// over its whole range, the table of a private glass, and the check value a binary record
// carries.

#include <cstdint>
#include <string>
#include <string_view>

class TGlassInfo;
struct TPrivateGlassRecord;

// What the glass gives that no glass has, said for the user ("the index 1636.64 at 0.3 µm",
// "an index that rises from 1.5 at 0.4 µm to 1.6 at 0.41 µm"); empty when it is sound. The
// index is sampled over the glass's whole range: within 1 to 5 everywhere, and falling
// with the wavelength, as it does wherever a glass is transparent (its range).
std::string ImplausibleGlassValue(const TGlassInfo &glass);
// The same for a glass of the private catalog, whose table must also give its wavelengths
// rising and its indices falling with them.
std::string ImplausiblePrivateGlass(const TPrivateGlassRecord &record);

// The words naming a glass refused when its catalog was read.
std::string RefusedGlassText(const std::string &name, const std::string &damage);

// The check value of a record under its name: a CRC-32 of the name and of the record's
// bytes after its first four (where the value is kept). Never 0: 0 stored means "none".
std::uint32_t GlassRecordCheck(std::string_view name, const unsigned char *record, int size);
