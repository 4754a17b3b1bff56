# CPack runs this after installing into its staging folder: with a certificate in the
# environment the staged images are signed there, so the build folder keeps the unsigned ones.
if(NOT "$ENV{TENDRIL_SIGN_PKCS12}" STREQUAL "")
    file(GLOB_RECURSE images "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.exe")
    if(NOT images)
        message(FATAL_ERROR "sign: no image in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
    endif()
    execute_process(COMMAND "${CPACK_TENDRIL_SIGN_IMAGES}" ${images} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "sign: signing the images failed")
    endif()
endif()
