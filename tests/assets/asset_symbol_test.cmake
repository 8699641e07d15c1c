# The symbols mavo_add_assets() makes from file names (MavoAssetNames.cmake,
# in SOURCE_DIR), held to the rule at the top of MavoAssets.cmake: each
# name beside the symbol it must give, as hex pairs where it holds bytes
# that are no text.
cmake_minimum_required(VERSION 3.25)
include("${SOURCE_DIR}/assets/MavoAssetNames.cmake")

set(cases
    "logo.bin=logo_bin" "img-2.PNG=img_2_PNG" "2-font.bin=asset_2_font_bin" "_x=asset__x"
    "int=asset_int" "main=asset_main" "random=asset_random" "mainly=mainly"
    # Beyond ASCII: the code point, four hex digits at the least.
    "é.bin=u00e9_bin" "日本.bin=u65e5u672c_bin" "߿=u07ff" "ࠀ=u0800" "𝄞=u1d11e" "😀=u1f600"
    # Bytes that are no UTF-8, alone or cut short: each as x and its hex.
    "hex:80=x80" "hex:ff41=xffA" "hex:c3=xc3" "hex:e282=xe2x82" "hex:f09f98=xf0x9fx98"
    # An overlong NUL is read as one: u0000, not a failed configure step.
    "hex:c080=u0000" "hex:41c080=Au0000")
set(failed "")
foreach(case IN LISTS cases)
    string(REGEX MATCH "^(.*)=([^=]*)$" unused "${case}")
    set(name "${CMAKE_MATCH_1}")
    set(expected "${CMAKE_MATCH_2}")
    if(name MATCHES "^hex:(.*)$")
        string(REGEX REPLACE "(..)" "\\\\x\\1" escaped "${CMAKE_MATCH_1}")
        execute_process(COMMAND printf "${escaped}" OUTPUT_VARIABLE name COMMAND_ERROR_IS_FATAL ANY)
    endif()
    _mavo_asset_symbol("${name}" symbol)
    if(NOT symbol STREQUAL expected)
        list(APPEND failed "${case}: got ${symbol}")
    endif()
endforeach()
if(failed)
    list(JOIN failed "\n" failed)
    message(FATAL_ERROR "wrong symbols:\n${failed}")
endif()
