# Makes the Arduino library mavo in OUT (OUT/mavo/): this folder's
# library.properties, mavo.h and examples/, and the codec itself, codec.h,
# internal.h and every codec/*.cpp, copied into src/ as they are. Nothing
# of the codec is kept here twice:
#   cmake -DOUT=<folder> -P arduino/make_library.cmake
if(NOT OUT)
    message(FATAL_ERROR "make_library.cmake: set OUT, the folder to make the library in")
endif()
get_filename_component(here "${CMAKE_CURRENT_LIST_DIR}" ABSOLUTE)
set(library "${OUT}/mavo")
file(REMOVE_RECURSE "${library}")
file(MAKE_DIRECTORY "${library}/src")
file(COPY "${here}/library.properties" "${here}/examples" DESTINATION "${library}")
file(GLOB codec_sources "${here}/../codec/*.cpp" "${here}/../codec/internal.h")
file(COPY "${here}/mavo.h" "${here}/../codec/codec.h" ${codec_sources} DESTINATION "${library}/src")
