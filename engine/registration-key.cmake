# Writes a product's registration INI file as it is installed: the source file,
# with the publisher's update key (the key line of a minisign .pub file) as
# "UpdatePublicKey=" in its [PwRegInfo] section when KEY_FILE names one.
# cmake -DIN=source.ini -DOUT=installed.ini [-DKEY_FILE=publisher.pub] -P registration-key.cmake
# Also included by engine/CMakeLists.txt for tallyline_read_update_key().

function(tallyline_read_update_key file out)
  file(STRINGS "${file}" lines)
  set(key "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line MATCHES "^RW[A-Za-z0-9+/]+=*$")
      string(LENGTH "${line}" length)
      if(length EQUAL 56)
        set(key "${line}")
      endif()
    endif()
  endforeach()
  if(key STREQUAL "")
    message(FATAL_ERROR "${file} holds no minisign public key (a line of 56 base64 characters starting with RW)")
  endif()
  set(${out} "${key}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED IN AND DEFINED OUT)
  if(NOT KEY_FILE)
    file(COPY_FILE "${IN}" "${OUT}" ONLY_IF_DIFFERENT)
    return()
  endif()
  tallyline_read_update_key("${KEY_FILE}" key)
  # file(READ) drops carriage returns: the raw bytes tell the line ends.
  file(READ "${IN}" raw HEX)
  set(style UNIX)
  if(raw MATCHES "0d0a")
    set(style CRLF)
  endif()
  file(READ "${IN}" text)
  string(REGEX REPLACE "\nUpdatePublicKey=[^\n]*" "" text "${text}")
  string(REGEX REPLACE "(\\[PwRegInfo\\][^\n]*\n)" "\\1UpdatePublicKey=${key}\n" text "${text}")
  file(CONFIGURE OUTPUT "${OUT}" CONTENT "${text}" @ONLY NEWLINE_STYLE ${style})
endif()
