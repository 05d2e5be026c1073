# Writes a help file of 8 MB of letter-and-blank text, the same bytes on
# every run (seeded), for a test payload whose expansion takes long enough to
# be seen part-way:   cmake -DOUTPUT=FILE -P MakeLargeHelp.cmake
file(WRITE "${OUTPUT}" "ZarnFTP Help\r\n")
set(block 0)
while(block LESS 1000)
  string(RANDOM LENGTH 8190 ALPHABET "abcdefghijklmnopqrstuvwxyz     eeeaaoottnnss" RANDOM_SEED ${block} text)
  file(APPEND "${OUTPUT}" "${text}\r\n")
  math(EXPR block "${block} + 1")
endwhile()
