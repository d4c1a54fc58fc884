# cmake -DSOFFICE=... -DSOURCE=x.fods -DOUTPUT=dir/账单明细.xls -DPROFILE=dir -DSEED=profile_seed.xcu
#       -P convert_template.cmake
# Converts the flat ODF template to Excel 97 with a headless office on a profile of the build
# tree, so that the build never touches a user's profile or running office.

get_filename_component(out_dir ${OUTPUT} DIRECTORY)
get_filename_component(stem ${SOURCE} NAME_WE)
set(work ${out_dir}/convert)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
# Without a recorded last version the office runs its graphics self-tests at every start: the
# profile gets the seed of the host's private profiles (src/office/profile_seed.xcu).
if(NOT EXISTS ${PROFILE}/user/registrymodifications.xcu)
  file(READ ${SEED} seed)
  file(WRITE ${PROFILE}/user/registrymodifications.xcu "${seed}")
endif()
execute_process(
  # A UTF-8 character type, so that the office can reach files whatever the build's locale.
  COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${SOFFICE} --headless --invisible --norestore --nologo --nodefault
          -env:UserInstallation=file://${PROFILE}
          --convert-to "xls:MS Excel 97" --outdir ${work} ${SOURCE}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  TIMEOUT 120)
if(NOT rc EQUAL 0 OR NOT EXISTS ${work}/${stem}.xls)
  message(FATAL_ERROR "converting ${SOURCE} failed (${rc}): ${out} ${err}")
endif()
file(RENAME ${work}/${stem}.xls ${OUTPUT})
file(REMOVE_RECURSE ${work})
