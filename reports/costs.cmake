# The machining statistics and the cost estimate: the plan's masses and times,
# the statistics dialog, the cost items and the cost estimate's dialog.
file(GLOB zarvento_reports_costs_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/statistics*.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/cost*.cpp)
add_library(zarvento_reports_costs STATIC ${zarvento_reports_costs_sources})
target_link_libraries(zarvento_reports_costs PUBLIC zarvento_options zarvento_panels zarvento_operations zarvento_plan
                                                    zarvento_catalogs zarvento_nc zarvento_geometry zarvento_platform)
