# Run by cmake --install: the workflow's settings as the source has them, but
# with the programs and tools of the install's bin folder instead of a build
# tree's. Relative paths in them are read from PREFIX/share/quarrow, the
# folder above the installed workflow/.
file(READ "${quarrow_source}/workflow/config.yaml" config)
string(REGEX REPLACE "\n([a-z]+): build/(yepharvest|wiffharvest|tools)/" "\n\\1: ${quarrow_bin_from_data}/"
  config "${config}")
cmake_path(ABSOLUTE_PATH quarrow_data BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" OUTPUT_VARIABLE data_folder)
set(target "$ENV{DESTDIR}${data_folder}/workflow/config.yaml")
message(STATUS "Installing: ${target}")
file(WRITE "${target}" "${config}")
