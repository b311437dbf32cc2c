# The icons of the program, its document type and brevix-cli.exe: drawn once as SVG in
# resources/icons, rendered at 16 to 256 pixels in 32-bit colour with alpha (rsvg-convert) and
# packed into .ico files (icotool; the 256-pixel image as PNG) at build time. The resource
# scripts name them by file name; brevix_use_icons gives a target that compiles one of them.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)
set(BREVIX_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(BREVIX_ICONS)
foreach(name Brevix BrevixDoc brevix-cli)
    set(svg ${CMAKE_SOURCE_DIR}/resources/icons/${name}.svg)
    set(renders)
    set(images)
    foreach(size 16 20 24 32 40 48 64 256)
        set(png ${BREVIX_ICON_DIR}/${name}-${size}.png)
        list(APPEND renders COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${svg})
        if(size EQUAL 256)
            list(APPEND images -r ${png})
        else()
            list(APPEND images ${png})
        endif()
    endforeach()
    add_custom_command(OUTPUT ${BREVIX_ICON_DIR}/${name}.ico
        COMMAND ${CMAKE_COMMAND} -E make_directory ${BREVIX_ICON_DIR}
        ${renders}
        COMMAND ${ICOTOOL} -c -o ${BREVIX_ICON_DIR}/${name}.ico ${images}
        DEPENDS ${svg}
        COMMENT "Drawing ${name}.ico")
    list(APPEND BREVIX_ICONS ${BREVIX_ICON_DIR}/${name}.ico)
endforeach()
add_custom_target(brevix_icons DEPENDS ${BREVIX_ICONS})
string(APPEND CMAKE_RC_FLAGS " -I ${BREVIX_ICON_DIR}")

function(brevix_use_icons target rc)
    add_dependencies(${target} brevix_icons)
    set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS "${BREVIX_ICONS}")
endfunction()
