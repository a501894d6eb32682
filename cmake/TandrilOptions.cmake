# Warnings and sanitizers shared by every target of the project.
function(tandril_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    # A unity build (the sanitizer builds, for their time) joins several
    # files into one, so the tests' fixtures in anonymous namespaces look to
    # the compiler as if a header had declared them.
    if(CMAKE_UNITY_BUILD)
        target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
    endif()
endfunction()

# TANDRIL_SANITIZE=ON builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer; TANDRIL_TSAN=ON with ThreadSanitizer instead.
option(TANDRIL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(TANDRIL_TSAN "Build with ThreadSanitizer" OFF)
if(TANDRIL_SANITIZE AND TANDRIL_TSAN)
    message(FATAL_ERROR "TANDRIL_SANITIZE and TANDRIL_TSAN exclude each other")
endif()
if(TANDRIL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
if(TANDRIL_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()
