# Fails when a source draws or measures text, or makes a font, through GDI's ANSI functions
# (Windows reads those in the system's code page, not the program's), or writes a shortcut
# through the shell's ANSI link interface. Run: cmake -DSOURCE_DIR=<src> -P ansi_text_check.cmake
file(GLOB_RECURSE sources "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" lines
       REGEX "(TextOut|ExtTextOut|DrawText|DrawTextEx|GetTextExtentPoint32|CreateFont|CreateFontIndirect)A|LOGFONTA|CHOOSEFONTA|IShellLinkA")
  foreach(line IN LISTS lines)
    string(APPEND found "\n${source}: ${line}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "ANSI text functions:${found}")
endif()
