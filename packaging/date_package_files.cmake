# Run by CPack before it packs the staged files: dates them all, folders
# included, SOURCE_DATE_EPOCH (the commit's time when release.sh runs it).
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is not set: the package would carry today's dates")
endif()
execute_process(COMMAND find ${CPACK_TEMPORARY_INSTALL_DIRECTORY} -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
  RESULT_VARIABLE dated)
if(NOT dated EQUAL 0)
  message(FATAL_ERROR "could not date the package's files")
endif()
