# Runs `kxtfw rd` on the older bridges of older.json in a scratch directory WORK:
# each call's exit status and printed status text, and the flash it leaves.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(expect_rd expected_status expected_output)
  execute_process(COMMAND ${KXTFW} --emulate ${CASE_DIR}/older.json --save-flash ${WORK}/flash
                          rd ${ARGN}
                  WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT status EQUAL expected_status OR NOT output STREQUAL "${expected_output}\n")
    message(FATAL_ERROR "kxtfw rd ${ARGN}: exit status ${status}, expected ${expected_status}\n"
                        "${output}${errors}")
  endif()
endfunction()

function(expect_file_size file size)
  file(SIZE ${file} actual)
  if(NOT actual EQUAL size)
    message(FATAL_ERROR "${file}: ${actual} bytes, expected ${size}")
  endif()
endfunction()

function(expect_erased file)
  file(READ ${file} bytes HEX)
  string(REGEX REPLACE "ff" "" rest "${bytes}")
  if(NOT rest STREQUAL "")
    message(FATAL_ERROR "${file} is not erased")
  endif()
endfunction()

# The first device by default; the default backup file.
expect_rd(0 "emu:kx40712: KX40712 Series: Read flash and backup success!" backup)
expect_file_size(${WORK}/oldflash.bak 65536)

# No FW719 image is carried: the update stops before touching the device.
expect_rd(1 "emu:kx40712: KX40712 Series: Load defaut Fw file Error!!" update)

# Erasing a chip of the NVRAM family erases it; it is not updated instead.
expect_rd(0 "emu:kxr741: KXR741 Series: Erase flash all success!" erase --device emu:kxr741
          --firmware-size 64KB --page-size 32KB)
expect_erased(${WORK}/flash/kxr741.bin)

# The internal-ROM chip with its parallel part's cycles; the wrong part erases nothing.
expect_rd(1 "emu:kx40714: KX40714 Series: Not Erase correctly!" erase --device emu:kx40714)
expect_rd(0 "emu:kx40714: KX40714 Series: Erase All success!!" erase --device emu:kx40714
          --parallel-flash pmc)
expect_erased(${WORK}/flash/kx40714.bin)
expect_rd(0 "emu:kx40714: KX40714 Series: Read flash and backup success!" backup
          --device emu:kx40714 --backup-file rom.bin)
expect_file_size(${WORK}/rom.bin 65536)

file(REMOVE_RECURSE ${WORK})
