# Fails when a source draws or measures text, or makes a font, through GDI's ANSI functions
# (Windows reads those in the system's code page, not the program's), or makes a shortcut
# through the shell's ANSI link interface.
file(GLOB_RECURSE sources "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" found REGEX "(TextOut|DrawText|GetTextExtentPoint32|CreateFont|CreateFontIndirect)A|LOGFONTA|CHOOSEFONTA|OPENFILENAMEA|IShellLinkA")
  if(found)
    message(SEND_ERROR "${source}: ${found}")
  endif()
endforeach()
