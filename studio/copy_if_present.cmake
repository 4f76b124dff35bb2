# Copies FROM to TO when FROM exists; otherwise says that it is missing.
#   cmake -DFROM=a -DTO=b -P copy_if_present.cmake
if(EXISTS "${FROM}")
  file(COPY_FILE "${FROM}" "${TO}" ONLY_IF_DIFFERENT)
else()
  message(STATUS "${FROM} is not built yet: the studio's site carries no player until it is")
endif()
