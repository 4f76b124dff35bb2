# Warnings on for our own code; a warning is a fault to mend, not to keep.
function(qc_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
endfunction()
