# Writes the ranges of the code points that a chunk file name keeps (letters, combining marks and
# digits of every script: the general categories L*, M*, Nd, Nl and No) from the Unicode Character
# Database's UnicodeData.txt, as a C++ header of merged [first, last] pairs in ascending order.
# A "<..., First>" line and its "<..., Last>" line stand for every code point between them.
BEGIN { FS = ";"; count = 0; open = 0 }
function keep(first, last) {
    if (count > 0 && first == hi[count] + 1) { hi[count] = last; return }
    count++; lo[count] = first; hi[count] = last
}
{
    code = strtonum_hex($1)
    category = $3
    kept = category ~ /^(L|M)/ || category == "Nd" || category == "Nl" || category == "No"
    if ($2 ~ /, First>$/) { open = code; next }
    if ($2 ~ /, Last>$/) { if (kept) keep(open, code); next }
    if (kept) keep(code, code)
}
function strtonum_hex(text,    value, i, digit) {
    value = 0
    for (i = 1; i <= length(text); i++) {
        digit = index("0123456789ABCDEF", toupper(substr(text, i, 1))) - 1
        value = value * 16 + digit
    }
    return value
}
END {
    print "// Generated at build time from UnicodeData.txt by engine/NameCharacters.awk; do not edit."
    print "#pragma once"
    print ""
    print "#include <cstdint>"
    print ""
    print "// The code points a chunk file name keeps, as merged [first, last] ranges in ascending order."
    printf "constexpr uint32_t kNameCharacterRanges[%d][2] = {\n", count
    for (i = 1; i <= count; i++) printf "    {0x%X, 0x%X},\n", lo[i], hi[i]
    print "};"
}
