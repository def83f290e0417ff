# One INTERFACE target carries the warnings and definitions for every target of ours.
add_library(kestrune_options INTERFACE)
target_compile_features(kestrune_options INTERFACE cxx_std_20)
target_compile_options(kestrune_options INTERFACE
    -Wall -Wextra -Wpedantic -Werror
    -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast -Wnon-virtual-dtor
    -Woverloaded-virtual -Wcast-align -Wnull-dereference -Wdouble-promotion
    -Wformat=2 -Wimplicit-fallthrough -Wmissing-declarations)
target_compile_definitions(kestrune_options INTERFACE _FILE_OFFSET_BITS=64)

# Sanitizers apply to the Qt-free code only (Qt is not built with them).
set(KESTRUNE_SANITIZE "" CACHE STRING "Sanitizers for the Qt-free build: address,undefined or thread")
if(KESTRUNE_SANITIZE)
    target_compile_options(kestrune_options INTERFACE
        -fsanitize=${KESTRUNE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(kestrune_options INTERFACE -fsanitize=${KESTRUNE_SANITIZE})
endif()

# The fuzz build instruments every target for libFuzzer and checks memory and undefined
# behaviour; fuzz/CMakeLists.txt links the targets with -fsanitize=fuzzer.
if(KESTRUNE_FUZZ)
    target_compile_options(kestrune_options INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=all)
    target_link_options(kestrune_options INTERFACE -fsanitize=address,undefined)
endif()
