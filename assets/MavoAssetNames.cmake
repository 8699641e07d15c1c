# MavoAssetNames.cmake - the names an asset puts into a program: the symbol
# made from its file's name, and the registry that keeps two assets from
# claiming one name in one program. Part of mavo_add_assets().

# Names a symbol may not have as it stands (reserved_names.txt, beside
# this file). Kept as a global property: the functions run in any folder's
# scope.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/reserved_names.txt" _mavo_lines REGEX "^[^#]")
string(REGEX REPLACE "[ \t]+" ";" _mavo_lines "${_mavo_lines}")
set_property(GLOBAL PROPERTY MAVO_RESERVED_NAMES ${_mavo_lines})
unset(_mavo_lines)

# The symbol for a file, by the rule at the top of MavoAssets.cmake. The
# name's bytes are taken as hex pairs: an ASCII byte, a whole UTF-8
# sequence (a lead byte and its continuation bytes), or else a stray byte.
function(_mavo_asset_symbol name out)
    string(HEX "${name}" hex)
    set(ascii "[0-7][0-9a-f]")
    set(next "[89ab][0-9a-f]")
    string(REGEX MATCHALL "${ascii}|[cd][0-9a-f]${next}|e[0-9a-f]${next}${next}|f[0-7]${next}${next}${next}|.."
        pieces "${hex}")
    set(symbol "")
    foreach(piece IN LISTS pieces)
        string(LENGTH "${piece}" length)
        math(EXPR value "0x${piece}")
        if(length EQUAL 2 AND value LESS 128)
            string(ASCII ${value} char)
            if(NOT char MATCHES "[A-Za-z0-9_]")
                set(char "_")
            endif()
            string(APPEND symbol "${char}")
        elseif(length EQUAL 2)
            string(APPEND symbol "x${piece}")
        else()
            # The lead byte keeps 5, 4 or 3 bits, each continuation byte 6
            # (the hex digits from `last` on are the last byte's).
            math(EXPR bytes "${length} / 2")
            math(EXPR last "${length} - 2")
            math(EXPR code "(0x${piece} >> (${last} * 4)) & (0x7f >> ${bytes})")
            foreach(offset RANGE 2 ${last} 2)
                string(SUBSTRING "${piece}" ${offset} 2 byte)
                math(EXPR code "(${code} << 6) | (0x${byte} & 63)")
            endforeach()
            # Four hex digits at the least, without further leading zeros.
            math(EXPR code "${code}" OUTPUT_FORMAT HEXADECIMAL)
            string(REGEX REPLACE "^0x" "000" digits "${code}")
            string(REGEX REPLACE "^0*(....+)$" "u\\1" digits "${digits}")
            string(TOLOWER "${digits}" digits)
            string(APPEND symbol "${digits}")
        endif()
    endforeach()
    get_property(reserved GLOBAL PROPERTY MAVO_RESERVED_NAMES)
    if(symbol MATCHES "^[0-9_]" OR symbol IN_LIST reserved)
        set(symbol "asset_${symbol}")
    endif()
    set(${out} "${symbol}" PARENT_SCOPE)
endfunction()

# Claims the names an asset puts into a program (its symbols, macros,
# header guard and header file, the last without case, as some file systems
# have it) for `file` of `target`. Two different files may share a name
# only when both belong to executables, which never meet in one program.
# A table (`seek` is then TABLE) claims its own names, and its files none.
function(_mavo_claim_names target file symbol seek)
    string(TOUPPER "${symbol}" upper)
    string(TOLOWER "${symbol}.h" header)
    set(names "${symbol}" "${upper}_IN_PROGMEM" "header file ${header}")
    if(seek STREQUAL "TABLE")
        list(APPEND names "${upper}_COUNT" "${symbol}_find" "${symbol}_find_prefix"
            "${symbol}_streams" "MAVO_TABLE_${upper}_H")
    else()
        list(APPEND names "${upper}_SIZE" "${upper}_DECODED_SIZE" "${upper}_STORED"
            "${symbol}_asset" "${symbol}_asset_path" "MAVO_ASSET_${upper}_H")
    endif()
    if(seek AND NOT seek STREQUAL "TABLE")
        list(APPEND names "${symbol}_seek" "${upper}_SEEK_POINTS" "${upper}_SEEK_SPACING")
    endif()
    get_target_property(type "${target}" TYPE)
    foreach(name IN LISTS names)
        get_property(owner GLOBAL PROPERTY "MAVO_ASSET_NAME ${name}")
        if(NOT owner)
            set_property(GLOBAL PROPERTY "MAVO_ASSET_NAME ${name}" "${target}")
            set_property(GLOBAL PROPERTY "MAVO_ASSET_NAME_FILE ${name}" "${file}")
            set_property(GLOBAL PROPERTY "MAVO_ASSET_NAME_SYMBOL ${name}" "${symbol}")
            continue()
        endif()
        get_property(owner_file GLOBAL PROPERTY "MAVO_ASSET_NAME_FILE ${name}")
        get_property(owner_symbol GLOBAL PROPERTY "MAVO_ASSET_NAME_SYMBOL ${name}")
        get_target_property(owner_type "${owner}" TYPE)
        if(owner STREQUAL target AND owner_file STREQUAL file)
            message(FATAL_ERROR "mavo_add_assets: ${file} is added to ${target} twice")
        endif()
        if(owner_file STREQUAL file AND owner_symbol STREQUAL symbol)
            continue() # the same bytes under the same name: no clash
        endif()
        if(owner_type STREQUAL "EXECUTABLE" AND type STREQUAL "EXECUTABLE"
           AND NOT owner STREQUAL target)
            continue()
        endif()
        if(owner_symbol STREQUAL symbol)
            set(what "both give the symbol ${symbol}")
        else()
            set(what "give the symbols ${owner_symbol} and ${symbol}, which clash in ${name}")
        endif()
        message(FATAL_ERROR "mavo_add_assets: ${owner_file} (target ${owner}) and ${file} "
            "(target ${target}) ${what}; one program could get the wrong bytes. Rename one, "
            "or give them different PREFIXes.")
    endforeach()
endfunction()
