# Run by CPack after it installed the files into its staging folder, before
# it builds the package: Debian wants every manual page compressed with
# gzip -9n, whichever install rule put it there.
file(GLOB_RECURSE staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(FILTER staged INCLUDE REGEX "/share/man/[^/]+/[^/]+\\.[1-9][^/.]*$")
foreach(page IN LISTS staged)
    execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "could not compress the manual page ${page}")
    endif()
endforeach()
