# The key that signs Ticker.exe after every link, and whose public half Update.exe is built
# with: the updater installs only builds that this key signed.
#
# TICKER_SIGNING_KEY names a release key (PEM, RSA-2048) kept outside the tree; without it, a
# key is made for this build in the build folder. No private key is ever in the repository.
# The native tree makes one key and hands it to both Windows builds, so that the two updaters
# trust the same key and the tests can sign builds with it.
set(TICKER_SIGNING_KEY "" CACHE FILEPATH "Private key (PEM, RSA-2048) that signs the builds")
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(TICKER_OPENSSL openssl REQUIRED)
set(TICKER_SIGN_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/sign_build.py)

if(TICKER_SIGNING_KEY)
    set(TICKER_SIGNING_KEY_FILE ${TICKER_SIGNING_KEY})
    if(NOT EXISTS ${TICKER_SIGNING_KEY_FILE})
        message(FATAL_ERROR "TICKER_SIGNING_KEY: ${TICKER_SIGNING_KEY_FILE} does not exist")
    endif()
else()
    set(TICKER_SIGNING_KEY_FILE ${CMAKE_BINARY_DIR}/signing/build-key.pem)
    if(NOT EXISTS ${TICKER_SIGNING_KEY_FILE})
        execute_process(COMMAND ${Python3_EXECUTABLE} ${TICKER_SIGN_SCRIPT} new-key
                                ${TICKER_SIGNING_KEY_FILE} COMMAND_ERROR_IS_FATAL ANY)
    endif()
endif()

# Signs target's file after every link; a new key links it again.
function(ticker_sign target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND Python3::Interpreter ${TICKER_SIGN_SCRIPT} sign ${TICKER_SIGNING_KEY_FILE}
                $<TARGET_FILE:${target}>
        VERBATIM)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TICKER_SIGNING_KEY_FILE})
endfunction()

# Makes header (update/trusted_key.h under dir) from the key's public half; add it to the
# sources of the target that includes it, and dir to its include path.
function(ticker_trusted_key_header dir)
    set(header ${dir}/update/trusted_key.h)
    add_custom_command(OUTPUT ${header}
        COMMAND Python3::Interpreter ${TICKER_SIGN_SCRIPT} key-header ${TICKER_SIGNING_KEY_FILE}
                ${header}
        DEPENDS ${TICKER_SIGNING_KEY_FILE} ${TICKER_SIGN_SCRIPT}
        COMMENT "Building the signing key's public half into the updater"
        VERBATIM)
    set(TICKER_TRUSTED_KEY_HEADER ${header} PARENT_SCOPE)
endfunction()
