/*
 * tavlo.h -- public C interface of the TAVLO optimisation library.
 *
 * The library is a set of plain functions over opaque handles.  Every
 * function that can fail returns a status code (0 on success, a positive
 * code listed below otherwise) and reports the failure on the
 * environment's error channel.  The header compiles as C99 and as C++.
 */
#ifndef TAVLO_H
#define TAVLO_H

#include <stddef.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define TVLPUBLIC __attribute__((visibility("default")))
#else
#define TVLPUBLIC
#endif

/* ------------------------------------------------------------------ */
/* Opaque handles                                                      */
/* ------------------------------------------------------------------ */
typedef struct tvlenv *TVLENVptr;
typedef const struct tvlenv *TVLCENVptr;
typedef struct tvllp *TVLLPptr;
typedef const struct tvllp *TVLCLPptr;
typedef struct tvlchannel *TVLCHANNELptr;

/* Function destination of a message channel: called with the caller's
 * handle and the complete formatted message. */
typedef void (*TVLmsgfunction)(void *handle, const char *msg);

/* ------------------------------------------------------------------ */
/* Constants                                                           */
/* ------------------------------------------------------------------ */
#define TVL_INFBOUND 1.0e+20
#define TVL_STR_PARAM_MAX 512
#define TVL_MSGBUFSIZE 1024

#define TVL_MIN 1
#define TVL_MAX (-1)

/* Problem types */
#define TVLPROB_LP 0
#define TVLPROB_MILP 1
#define TVLPROB_FIXEDMILP 3
#define TVLPROB_NODELP 4
#define TVLPROB_QP 5
#define TVLPROB_MIQP 7
#define TVLPROB_FIXEDMIQP 8
#define TVLPROB_NODEQP 9
#define TVLPROB_QCP 10
#define TVLPROB_MIQCP 11
#define TVLPROB_NODEQCP 12
#define TVLPROB_FIXEDMIQCP 13

/* Parameter kinds returned by TVLgetparamtype */
#define TVL_PARAMTYPE_NONE 0
#define TVL_PARAMTYPE_INT 1
#define TVL_PARAMTYPE_DOUBLE 2
#define TVL_PARAMTYPE_STRING 3

/* Basis status codes */
#define TVL_AT_LOWER 0
#define TVL_BASIC 1
#define TVL_AT_UPPER 2
#define TVL_FREE_SUPER 3

/* ------------------------------------------------------------------ */
/* Status codes (the message text of each is given by                 */
/* TVLgeterrorstring)                                                 */
/* ------------------------------------------------------------------ */
/* BEGIN GENERATED STATUS CODES */
#define TVLERR_OUT_OF_MEMORY                                1001
#define TVLERR_NO_ENVIRONMENT                               1002
#define TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION    1003
#define TVLERR_NULL_POINTER_FOR_REQUIRED_DATA               1004
#define TVLERR_ERROR_DURING_CALLBACK                        1006
#define TVLERR_NO_PROBLEM_EXISTS                            1009
#define TVLERR_PROBLEM_SIZE_LIMITS_TOO_LARGE                1012
#define TVLERR_BAD_PARAMETER_NUMBER_TO_TAVLO_PARAMETER_ROUTINE 1013
#define TVLERR_PARAMETER_VALUE_TOO_SMALL                    1014
#define TVLERR_PARAMETER_VALUE_TOO_BIG                      1015
#define TVLERR_NOT_AVAILABLE_FOR_MIXED_INTEGER_PROGRAMS     1017
#define TVLERR_NOT_AVAILABLE_FOR_QUADRATIC_PROGRAMS         1018
#define TVLERR_CANNOT_CLONE_A_CLONED_ENVIRONMENT            1019
#define TVLERR_THREAD_LIMIT_EXCEEDED                        1020
#define TVLERR_CANNOT_CLOSE_A_CHILD_ENVIRONMENT             1021
#define TVLERR_UNKNOWN_PROBLEM_TYPE_PROBLEM_NOT_CHANGED     1022
#define TVLERR_NOT_A_SINGLE_PROBLEM                         1023
#define TVLERR_NOT_A_MILP_OR_FIXED_MILP                     1024
#define TVLERR_STRING_PARAMETER_IS_TOO_LONG                 1026
#define TVLERR_DECOMPRESSION_OF_UNPRESOLVED_PROBLEM_FAILED  1027
#define TVLERR_BAD_PARAMETER_NAME_TO_TAVLO_PARAMETER_ROUTINE 1028
#define TVLERR_NOT_A_MIQP_OR_FIXED_MIQP                     1029
#define TVLERR_NOT_AVAILABLE_FOR_QUADRATICALLY_CONSTRAINED_PROGRAMS 1031
#define TVLERR_NO_CHANNEL_POINTER_SUPPLIED_TO_MESSAGE_ROUTINE 1051
#define TVLERR_NO_FILE_POINTER_FOUND_FOR_MESSAGE_ROUTINE    1052
#define TVLERR_NO_FUNCTION_POINTER_FOUND_FOR_MESSAGE_ROUTINE 1053
#define TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR_UNBOUNDED 1101
#define TVLERR_NO_PRESOLVED_PROBLEM_CREATED                 1103
#define TVLERR_ABORTED_DURING_PRESOLVE                      1106
#define TVLERR_NOT_ENOUGH_MEMORY_TO_BUILD_BASIS_FOR_ORIGINAL_LP 1107
#define TVLERR_CANNOT_COPY_SOS_INFO_FROM_ORIGINAL_MIP       1108
#define TVLERR_CANNOT_COPY_PRIORITY_ORDER_INFO_FROM_ORIGINAL_MIP 1109
#define TVLERR_NOT_ENOUGH_MEMORY_TO_RECOVER_SOLUTION_FOR_ORIGINAL_MIP 1110
#define TVLERR_NOT_ENOUGH_MEMORY_TO_COMPUTE_SOLUTION_TO_ORIGINAL_QP 1111
#define TVLERR_NOT_ENOUGH_MEMORY_TO_BUILD_START_FOR_ORIGINAL_LP 1112
#define TVLERR_COULD_NOT_LOAD_UNPRESOLVED_BASIS_FOR_ORIGINAL_LP 1114
#define TVLERR_FAILED_TO_FIND_BASIS_IN_PRESOLVED_LP         1115
#define TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE    1117
#define TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_UNBOUNDED     1118
#define TVLERR_THE_FEATURE_IS_NOT_AVAILABLE_FOR_SOLVING_DUAL_FORMULATION 1119
#define TVLERR_CANNOT_UNCRUSH_SOLUTION_FORM                 1120
#define TVLERR_CANNOT_CRUSH_SOLUTION_FORM                   1121
#define TVLERR_BAD_PRESOLVE_PARAMETER_SETTING               1122
#define TVLERR_TIME_LIMIT_EXCEEDED_DURING_PRESOLVE          1123
#define TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES       1200
#define TVLERR_COLUMN_INDEX_OUT_OF_RANGE                    1201
#define TVLERR_ROW_INDEX_OUT_OF_RANGE                       1203
#define TVLERR_BEGIN_VALUE_IS_LESS_THAN                     1205
#define TVLERR_END_VALUE_IS_GREATER_THAN                    1206
#define TVLERR_INSUFFICIENT_ARRAY_LENGTH                    1207
#define TVLERR_ARRAY_LENGTH_TOO_LONG                        1208
#define TVLERR_UNABLE_TO_CREATE_DEFAULT_NAMES               1209
#define TVLERR_NAME_NOT_FOUND                               1210
#define TVLERR_RHS_HAS_NO_COEFFICIENT_IN_OBJ                1211
#define TVLERR_CONSTRAINT_TYPE_UNSUPPORTED_BY_TVLFEASOPT    1212
#define TVLERR_ILL_DEFINED_PIECEWISE_LINEAR_FUNCTION_HAS_DISCONTINUITY_AT_ANCHOR_POINT 1213
#define TVLERR_ILLEGAL_SENSE_ENTRY                          1215
#define TVLERR_NO_RANGE_VALUES                              1216
#define TVLERR_NO_SOLUTION_EXISTS                           1217
#define TVLERR_NO_NAMES_EXIST                               1219
#define TVLERR_ONLY_FIXED_VARIABLES_ARE_PIVOTED_OUT         1221
#define TVLERR_DUPLICATE_ENTRY                              1222
#define TVLERR_NO_BARRIER_SOLUTION_EXISTS                   1223
#define TVLERR_NULL_POINTER_IN_NAME_ARRAY                   1224
#define TVLERR_NUMERIC_ENTRY_IS_NOT_A_DOUBLE_PRECISON_NUMBER_NAN 1225
#define TVLERR_ARRAY_ENTRY_NOT_ASCENDING                    1226
#define TVLERR_COUNT_ENTRY_NEGATIVE_OR_LARGER_THAN_ALLOWED  1227
#define TVLERR_COUNT_ENTRY_INDICATES_OVERLAPPING_ENTRIES    1228
#define TVLERR_ILLEGAL_BOUND_CHANGE_INDICATOR_ENTRY         1229
#define TVLERR_NODE_INDEX_OUT_OF_RANGE                      1230
#define TVLERR_ARC_INDEX_OUT_OF_RANGE                       1231
#define TVLERR_NO_DUAL_SOLUTION_EXISTS                      1232
#define TVLERR_NUMERIC_ENTRY_IS_LARGER_THAN_ALLOWED_MAXIMUM_OF 1233
#define TVLERR_FAILED_TO_CREATE_PARALLEL_THREAD             1234
#define TVLERR_INDEX_MUST_CORRESPOND_TO_A_BASIC_VARIABLE    1251
#define TVLERR_OPTIMAL_SOLUTION_REQUIRED                    1252
#define TVLERR_INVALID_STATUS_ENTRY_FOR_BASIS_SPECIFICATION 1253
#define TVLERR_UNBOUNDED_SOLUTION_REQUIRED                  1254
#define TVLERR_INCOMPATIBLE_WITH_SUPERBASIS                 1255
#define TVLERR_BASIS_SINGULAR                               1256
#define TVLERR_INCORRECT_USAGE_OF_PRICING_INDICATOR         1257
#define TVLERR_NO_LU_FACTORIZATION_EXISTS                   1258
#define TVLERR_SENSITIVITY_ANALYSIS_NOT_AVAILABLE_FOR_CURRENT_STATUS 1260
#define TVLERR_NO_BASIC_SOLUTION_EXISTS                     1261
#define TVLERR_NO_BASIS_EXISTS                              1262
#define TVLERR_STRONG_BRANCHING_ABORTED                     1263
#define TVLERR_NO_NORMS_AVAILABLE                           1264
#define TVLERR_DUAL_UNBOUNDED_SOLUTION_REQUIRED             1265
#define TVLERR_TIME_LIMIT_EXCEEDED_IN_STRONG_BRANCHING      1266
#define TVLERR_ILLEGAL_PIVOT                                1267
#define TVLERR_TIME_LIMIT_EXCEEDED_IN_COMPUTING_CONDITION_NUMBER 1268
#define TVLERR_NO_KAPPA_STATISTICS_ARE_AVAILABLE            1269
#define TVLERR_INVALID_CHOICE_OF_OPTIMIZATION_METHOD        1292
#define TVLERR_FILE_NAME_NOT_SPECIFIED                      1421
#define TVLERR_COULD_NOT_OPEN_FILE_FOR_WRITING              1422
#define TVLERR_COULD_NOT_OPEN_FILE_FOR_READING              1423
#define TVLERR_INVALID_FILETYPE                             1424
#define TVLERR_XML_PARSING_ERROR_AT_LINE                    1425
#define TVLERR_TOO_MANY_ROWS                                1431
#define TVLERR_TOO_MANY_COLUMNS                             1432
#define TVLERR_TOO_MANY_COEFFICIENTS                        1433
#define TVLERR_LINE_COULD_NOT_CONVERT_TO_A_NUMBER           1434
#define TVLERR_LINE_EXPONENT_OUT_OF_RANGE                   1435
#define TVLERR_MAX_OR_MIN_MISSING                           1436
#define TVLERR_LINE_ILLEGAL_QUADRATIC_CONSTRAINT_SENSE      1437
#define TVLERR_LINE_ILLEGAL_LAZY_CONSTRAINT_OR_USER_CUT     1438
#define TVLERR_LINE_ILLEGAL_INDICATOR_CONSTRAINT            1439
#define TVLERR_LINE_NO_NAME_SECTION                         1441
#define TVLERR_LINE_UNRECOGNIZED_SOS_TYPE                   1442
#define TVLERR_COLUMN_HAS_REPEATED_ROW                      1443
#define TVLERR_HAS_REPEATED_ROW                             1444
#define TVLERR_ROW_REPEATS                                  1445
#define TVLERR_COLUMN_REPEATS                               1446
#define TVLERR_LINE_REPEATS_1447                            1447
#define TVLERR_LINE_IS_NOT_A_ROW_NAME                       1448
#define TVLERR_LINE_IS_NOT_A_COLUMN_NAME                    1449
#define TVLERR_LINE_NO_ROW_SENSE                            1453
#define TVLERR_LINE_FX_BOUND_TYPE_ILLEGAL_WHEN_PRIOR_BOUND_GIVEN 1454
#define TVLERR_LINE_FR_BOUND_TYPE_ILLEGAL_WHEN_PRIOR_BOUND_GIVEN 1455
#define TVLERR_LINE_BV_BOUND_TYPE_ILLEGAL_WHEN_PRIOR_BOUND_GIVEN 1456
#define TVLERR_LINE_UNRECOGNIZED_BOUND_TYPE                 1457
#define TVLERR_LINE_REPEATED_UPPER_BOUND                    1458
#define TVLERR_LINE_REPEATED_LOWER_BOUND                    1459
#define TVLERR_LINE_BOUND_TYPE_MISSING                      1460
#define TVLERR_LINE_NO_QMATRIX_SECTION                      1461
#define TVLERR_LINE_UNRECOGNIZED_SECTION_INDICATOR_EXPECTING_ENDATA 1462
#define TVLERR_LINE_MAGNITUDE_EXCEEDS_INTEGER_LIMIT         1463
#define TVLERR_LINE_IDENTIFIER_NAME_TOO_LONG_TO_PROCESS     1464
#define TVLERR_LINE_LINE_LONGER_THAN_LIMIT_OF_CHARACTERS    1465
#define TVLERR_LINE_NO_ROWS_SECTION                         1471
#define TVLERR_LINE_NO_COLUMNS_SECTION                      1472
#define TVLERR_LINE_UNRECOGNIZED_SECTION_INDICATOR_EXPECTING_RANGES_BOUNDS_SOS_QMATRIX_OR_ENDATA 1473
#define TVLERR_LINE_RANGES_SECTION_OUT_OF_ORDER             1474
#define TVLERR_LINE_UNRECOGNIZED_SECTION_INDICATOR_EXPECTING_QMATRIX_OR_ENDATA 1475
#define TVLERR_LINE_NO_OBJECTIVE_ROW_FOUND                  1476
#define TVLERR_ROW_REPEATS_MESSAGES_NOT_PRINTED             1477
#define TVLERR_COLUMN_REPEATS_MESSAGES_NOT_PRINTED          1478
#define TVLERR_LINE_REPEATS_1479                            1479
#define TVLERR_LINE_INTORG_FOUND_WHILE_READING_INTEGERS     1480
#define TVLERR_LINE_INTEND_FOUND_WHILE_NOT_READING_INTEGERS 1481
#define TVLERR_LINE_SOSORG_FOUND_WHILE_READING_A_SOS        1482
#define TVLERR_LINE_SOSEND_FOUND_WHILE_NOT_READING_A_SOS    1483
#define TVLERR_TOO_MANY_RIM_VECTORS                         1484
#define TVLERR_TOO_MANY_RIM_NONZEROS                        1485
#define TVLERR_LINE_NO_ROW_NAME                             1486
#define TVLERR_LINE_UNRECOGNIZED_OBJECTIVE_SENSE            1487
#define TVLERR_INCONSISTENT_NETWORK_FILE                    1530
#define TVLERR_NOT_A_MIN_COST_FLOW_PROBLEM                  1531
#define TVLERR_INCORRECT_ROW_IDENTIFIER                     1532
#define TVLERR_BAD_CHARACTER_ENCOUNTERED_NEAR_LINE_ABORTING_READ 1537
#define TVLERR_UNEXPECTED_END_OF_NETWORK_FILE               1538
#define TVLERR_BASIS_MISSING_SOME_BASIC_VALUES              1550
#define TVLERR_LINE_UNRECOGNIZED_BASIS_INDICATOR            1551
#define TVLERR_ENDATA_MISSING                               1552
#define TVLERR_LINE_WRONG_NUMBER_OF_ENTRIES                 1553
#define TVLERR_SUPERBASES_ARE_NOT_ALLOWED                   1554
#define TVLERR_BASIC_VARIABLE_S                             1555
#define TVLERR_VECTOR_SOLUTION_DOES_NOT_EXIST               1556
#define TVLERR_FILE_IS_NOT_A_SAV_FILE                       1560
#define TVLERR_NOT_ENOUGH_DATA_IN_SAV_FILE                  1561
#define TVLERR_UNABLE_TO_WRITE_SAV_FILE_TO_DISK             1562
#define TVLERR_FILE_HAS_AN_INCOMPATIBLE_FORMAT              1563
#define TVLERR_LINES_ADJACENT_SIGNS                         1602
#define TVLERR_LINE_RHS_SENSE_IN_OBJECTIVE                  1603
#define TVLERR_LINES_ADJACENT_SIGN_AND_SENSE                1604
#define TVLERR_LINE_ILLEGAL_QUADRATIC_TERM_IN_A_CONSTRAINT  1605
#define TVLERR_LINES_ADJACENT_SIGN_AND_QUADRATIC_CHARACTER  1606
#define TVLERR_LINE_EXPECTED_OR_FOUND                       1607
#define TVLERR_LINE_EXPECTED_OR_SENSE_FOUND                 1608
#define TVLERR_LINE_EXPECTED_IDENTIFIER_FIRST               1609
#define TVLERR_LINE_EXPECTED_RHS_COEFFICIENT                1610
#define TVLERR_LINE_EXPECTED_NUMBER_FIRST                   1611
#define TVLERR_LINE_EXPECTED_QUADRATIC_EXPONENT             1612
#define TVLERR_LINE_QUADRATIC_EXPONENT_MUST_BE_2            1613
#define TVLERR_LINE_EXPECTED_OR                             1614
#define TVLERR_LINE_EXPECTED_NUMBER_FOUND                   1615
#define TVLERR_LINE_EXPECTED_IDENTIFIER_FOUND               1616
#define TVLERR_LINE_NOT_VALID_IDENTIFIER                    1617
#define TVLERR_LINE_EXPONENT_NOT_WITH_NUMBER                1618
#define TVLERR_LINE_MISSING_OR_INCORRECT_DIVISOR_FOR_Q_TERMS 1619
#define TVLERR_LINE_NO_BOUND_SENSE                          1621
#define TVLERR_LINE_INVALID_BOUND_SENSE                     1622
#define TVLERR_LINE_MISSING_BOUND_NUMBER                    1623
#define TVLERR_LINE_EXPECTED_FOUND                          1627
#define TVLERR_NUMBER_NOT_REPRESENTABLE_IN_EXPONENTIAL_NOTATION 1650
#define TVLERR_LINE_NOT_ENOUGH_ENTRIES                      1660
#define TVLERR_LINE_MISSING_OR_INVALID_HEADER               1661
#define TVLERR_NO_IIS_INFORMATION_EXISTS                    1701
#define TVLERR_NO_SOLUTION_EXISTS_INFEASIBILITY_ANALYSIS_NOT_AVAILABLE 1702
#define TVLERR_PROBLEM_IS_FEASIBLE_NO_IIS_AVAILABLE         1703
#define TVLERR_PROBLEM_MAY_BE_FEASIBLE_NO_IIS_AVAILABLE     1704
#define TVLERR_PROBLEM_OPTIMAL_WITH_UNSCALED_INFEASIBILITIES_NO_IIS_AVAILABLE 1705
#define TVLERR_UNABLE_TO_COMPUTE_AN_IIS                     1706
#define TVLERR_INFEASIBILITY_FINDER_REQUIRES_A_BASIC_SOLUTION 1707
#define TVLERR_FAILED_TO_LOAD_IIS_SUBPROBLEM                1709
#define TVLERR_OBJECTIVE_LIMIT_EXCEEDED_ON_IIS_SUBPROBLEM   1710
#define TVLERR_ITERATION_LIMIT_EXCEEDED_ON_IIS_SUBPROBLEM   1711
#define TVLERR_TIME_LIMIT_EXCEEDED_ON_IIS_SUBPROBLEM        1712
#define TVLERR_UNABLE_TO_OPTIMIZE_IIS_SUBPROBLEM            1713
#define TVLERR_CONFLICT_IS_NOT_AVAILABLE                    1719
#define TVLERR_CONFLICT_DETECTION_COULD_NOT_REPRODUCE_PREVIOUSLY_FOUND_INFEASIBILITY 1720
#define TVLERR_MIXED_PROBLEM_SETS_CANNOT_BE_TUNED           1730
#define TVLERR_COULD_NOT_OPEN_TEMPORARY_FILE                1801
#define TVLERR_FAILURE_ON_TEMPORARY_FILE_READ               1802
#define TVLERR_FAILURE_ON_TEMPORARY_FILE_WRITE              1803
#define TVLERR_CALLING_ROUTINES_FROM_INFO_CALLBACK          1804
#define TVLERR_MIP_DYNAMIC_SEARCH_INTERFERES_WITH_CONTROL_CALLBACKS 1805
#define TVLERR_PROBLEM_IS_NOT_MEMBER_OF_THIS_ENVIRONMENT    1806
#define TVLERR_INCOMPATIBLE_PARAMETERS                      1807
#define TVLERR_NOT_A_MIXED_INTEGER_PROBLEM                  3003
#define TVLERR_NEGATIVE_PRIORITY_ENTRY                      3006
#define TVLERR_ILLEGAL_DIRECTION_ENTRY                      3007
#define TVLERR_ILLEGAL_SOSTYPE_ENTRY                        3009
#define TVLERR_SET_DOES_NOT_HAVE_UNIQUE_WEIGHTS             3010
#define TVLERR_LINE_UNRECOGNIZED_DIRECTION                  3012
#define TVLERR_NO_USER_DEFINED_SOSS_EXIST                   3015
#define TVLERR_NO_PRIORITY_ORDER_EXISTS                     3016
#define TVLERR_MAGNITUDE_OF_VARIABLE_EXCEEDS_INTEGER_LIMIT  3018
#define TVLERR_FAILURE_TO_SOLVE_MIP_SUBPROBLEM              3019
#define TVLERR_NO_MIP_START_EXISTS                          3020
#define TVLERR_ILLEGAL_CTYPE_ENTRY                          3021
#define TVLERR_INTEGER_FEASIBLE_SOLUTION_VALUES_ARE_UNAVAILABLE 3023
#define TVLERR_NO_SOLUTION_POOL_EXISTS                      3024
#define TVLERR_LINE_MISSING_SOS_TYPE                        3301
#define TVLERR_CURRENT_PROBLEM_HAS_NO_TREE                  3412
#define TVLERR_TREE_MEMORY_LIMIT_EXCEEDED                   3413
#define TVLERR_DIVERSITY_FILTER_HAS_NON_BINARY_VARIABLE     3414
#define TVLERR_NO_CALLBACK_INFO_ON_DISK_COMPRESSED_NODES    3504
#define TVLERR_COULD_NOT_INITIALIZE_MUTEX                   3601
#define TVLERR_COULD_NOT_CREATE_THREAD                      3603
#define TVLERR_BAD_PERMUTATION_VECTOR_FROM_EXTERNAL_ORDERING_ALGORITHM 4005
#define TVLERR_Q_IN_IS_NOT_POSITIVE_SEMI_DEFINITE           5002
#define TVLERR_NOT_A_QUADRATIC_PROGRAM                      5004
#define TVLERR_DUPLICATE_ENTRY_IN_FOR_PAIR_AND              5011
#define TVLERR_Q_IN_IS_NOT_SYMMETRIC                        5012
#define TVLERR_Q_IN_OBJECTIVE_IS_NOT_INDEFINITE             5014
#define TVLERR_SENSE_MUST_BE_L_OR_G                         6002
#define TVLERR_TVLROBUSTOPT_PROBLEMS_CONTAIN_INCONSISTENT_DATA 9017
#define TVLERR_NOT_A_MIQCP_OR_FIXED_MIQCP                   9019
#define TVLERR_PROBLEM_SOLVING_TEST_MODEL_FOR_PERFORMANCE_VARIABILITY_ESTIMATOR 9024
#define TVLERR_DETERMINISTIC_TIME_LIMIT_EXCEEDED_DURING_PRESOLVE 9025
#define TVLERR_DETERMINISTIC_TIME_LIMIT_EXCEEDED_ON_IIS_SUBPROBLEM 9026
#define TVLERR_DETERMINISTIC_TIME_LIMIT_EXCEEDED_IN_STRONG_BRANCHING 9027
#define TVLERR_MT_INVALID_THREADCOUNT                       9030
#define TVLERR_MT_INVALID_THREAD_STATE                      9031
#define TVLERR_MT_TASK_WAS_SIGNALLED                        9033
#define TVLERR_MT_INVALID_TASK_RELATION                     9034
#define TVLERR_MT_NOT_ALLOWED_FOR_ROOT_TASK                 9035
#define TVLERR_MT_SIGNALS_ARE_BLOCK_FOR_THIS_TASK           9036
/* END GENERATED STATUS CODES */

/* ------------------------------------------------------------------ */
/* Parameter numbers                                                   */
/* ------------------------------------------------------------------ */
/* BEGIN GENERATED PARAMETERS */
#define TVL_PARAM_ADVIND                 1001
#define TVL_PARAM_AGGFILL                1002
#define TVL_PARAM_AGGIND                 1003
#define TVL_PARAM_CFILEMUL               1005
#define TVL_PARAM_CLOCKTYPE              1006
#define TVL_PARAM_CRAIND                 1007
#define TVL_PARAM_DEPIND                 1008
#define TVL_PARAM_DPRIIND                1009
#define TVL_PARAM_PRICELIM               1010
#define TVL_PARAM_EPMRK                  1013
#define TVL_PARAM_EPOPT                  1014
#define TVL_PARAM_EPPER                  1015
#define TVL_PARAM_EPRHS                  1016
#define TVL_PARAM_SIMDISPLAY             1019
#define TVL_PARAM_ITLIM                  1020
#define TVL_PARAM_ROWREADLIM             1021
#define TVL_PARAM_NETFIND                1022
#define TVL_PARAM_COLREADLIM             1023
#define TVL_PARAM_NZREADLIM              1024
#define TVL_PARAM_OBJLLIM                1025
#define TVL_PARAM_OBJULIM                1026
#define TVL_PARAM_PERIND                 1027
#define TVL_PARAM_PERLIM                 1028
#define TVL_PARAM_PPRIIND                1029
#define TVL_PARAM_PREIND                 1030
#define TVL_PARAM_REINV                  1031
#define TVL_PARAM_RFILEMUL               1033
#define TVL_PARAM_SCAIND                 1034
#define TVL_PARAM_SCRIND                 1035
#define TVL_PARAM_SINGLIM                1037
#define TVL_PARAM_SINGTOL                1038
#define TVL_PARAM_TILIM                  1039
#define TVL_PARAM_PREDUAL                1044
#define TVL_PARAM_PREPASS                1052
#define TVL_PARAM_DATACHECK              1056
#define TVL_PARAM_REDUCE                 1057
#define TVL_PARAM_PRELINEAR              1058
#define TVL_PARAM_LPMETHOD               1062
#define TVL_PARAM_QPMETHOD               1063
#define TVL_PARAM_WORKDIR                1064
#define TVL_PARAM_WORKMEM                1065
#define TVL_PARAM_THREADS                1067
#define TVL_PARAM_CONFLICTDISPLAY        1074
#define TVL_PARAM_SIFTDISPLAY            1076
#define TVL_PARAM_SIFTALG                1077
#define TVL_PARAM_SIFTITLIM              1078
#define TVL_PARAM_MPSLONGNUM             1081
#define TVL_PARAM_MEMORYEMPHASIS         1082
#define TVL_PARAM_NUMERICALEMPHASIS      1083
#define TVL_PARAM_FEASOPTMODE            1084
#define TVL_PARAM_PARALLELMODE           1109
#define TVL_PARAM_TUNINGMEASURE          1110
#define TVL_PARAM_TUNINGREPEAT           1111
#define TVL_PARAM_TUNINGTILIM            1112
#define TVL_PARAM_TUNINGDISPLAY          1113
#define TVL_PARAM_WRITELEVEL             1114
#define TVL_PARAM_PERFVAR_RUNS           1121
#define TVL_PARAM_PERFVAR_DISPLAY        1122
#define TVL_PARAM_PERFVAR_MEASURE        1123
#define TVL_PARAM_BRDIR                  2001
#define TVL_PARAM_BTTOL                  2002
#define TVL_PARAM_CLIQUES                2003
#define TVL_PARAM_COEREDIND              2004
#define TVL_PARAM_COVERS                 2005
#define TVL_PARAM_CUTLO                  2006
#define TVL_PARAM_CUTUP                  2007
#define TVL_PARAM_EPAGAP                 2008
#define TVL_PARAM_EPGAP                  2009
#define TVL_PARAM_EPINT                  2010
#define TVL_PARAM_MIPDISPLAY             2012
#define TVL_PARAM_MIPINTERVAL            2013
#define TVL_PARAM_INTSOLLIM              2015
#define TVL_PARAM_NODEFILEIND            2016
#define TVL_PARAM_NODELIM                2017
#define TVL_PARAM_NODESEL                2018
#define TVL_PARAM_OBJDIF                 2019
#define TVL_PARAM_MIPORDIND              2020
#define TVL_PARAM_RELOBJDIF              2022
#define TVL_PARAM_STARTALG               2025
#define TVL_PARAM_SUBALG                 2026
#define TVL_PARAM_TRELIM                 2027
#define TVL_PARAM_VARSEL                 2028
#define TVL_PARAM_BNDSTRENIND            2029
#define TVL_PARAM_HEURFREQ               2031
#define TVL_PARAM_MIPORDTYPE             2032
#define TVL_PARAM_CUTSFACTOR             2033
#define TVL_PARAM_RELAXPREIND            2034
#define TVL_PARAM_PRESLVND               2037
#define TVL_PARAM_BBINTERVAL             2039
#define TVL_PARAM_FLOWCOVERS             2040
#define TVL_PARAM_IMPLBD                 2041
#define TVL_PARAM_PROBE                  2042
#define TVL_PARAM_GUBCOVERS              2044
#define TVL_PARAM_STRONGCANDLIM          2045
#define TVL_PARAM_STRONGITLIM            2046
#define TVL_PARAM_FRACCAND               2048
#define TVL_PARAM_FRACCUTS               2049
#define TVL_PARAM_FRACPASS               2050
#define TVL_PARAM_FLOWPATHS              2051
#define TVL_PARAM_MIRCUTS                2052
#define TVL_PARAM_DISJCUTS               2053
#define TVL_PARAM_AGGCUTLIM              2054
#define TVL_PARAM_MIPCBREDLP             2055
#define TVL_PARAM_CUTPASS                2056
#define TVL_PARAM_MIPEMPHASIS            2058
#define TVL_PARAM_SYMMETRY               2059
#define TVL_PARAM_DIVETYPE               2060
#define TVL_PARAM_RINSHEUR               2061
#define TVL_PARAM_SUBMIPNODELIM          2062
#define TVL_PARAM_LBHEUR                 2063
#define TVL_PARAM_REPEATPRESOLVE         2064
#define TVL_PARAM_PROBETIME              2065
#define TVL_PARAM_POLISHTIME             2066
#define TVL_PARAM_REPAIRTRIES            2067
#define TVL_PARAM_EPRELAX                2073
#define TVL_PARAM_FPHEUR                 2098
#define TVL_PARAM_EACHCUTLIM             2102
#define TVL_PARAM_SOLNPOOLCAPACITY       2103
#define TVL_PARAM_SOLNPOOLREPLACE        2104
#define TVL_PARAM_SOLNPOOLGAP            2105
#define TVL_PARAM_SOLNPOOLAGAP           2106
#define TVL_PARAM_SOLNPOOLINTENSITY      2107
#define TVL_PARAM_POPULATELIM            2108
#define TVL_PARAM_MIPSEARCH              2109
#define TVL_PARAM_MIQCPSTRAT             2110
#define TVL_PARAM_ZEROHALFCUTS           2111
#define TVL_PARAM_POLISHAFTEREPAGAP      2126
#define TVL_PARAM_POLISHAFTEREPGAP       2127
#define TVL_PARAM_POLISHAFTERNODE        2128
#define TVL_PARAM_POLISHAFTERINTSOL      2129
#define TVL_PARAM_POLISHAFTERTIME        2130
#define TVL_PARAM_MCFCUTS                2134
#define TVL_PARAM_MIPKAPPASTATS          2137
#define TVL_PARAM_AUXROOTTHREADS         2139
#define TVL_PARAM_BAREPCOMP              3002
#define TVL_PARAM_BARGROWTH              3003
#define TVL_PARAM_BAROBJRNG              3004
#define TVL_PARAM_BARALG                 3007
#define TVL_PARAM_BARCOLNZ               3009
#define TVL_PARAM_BARDISPLAY             3010
#define TVL_PARAM_BARITLIM               3012
#define TVL_PARAM_BARMAXCOR              3013
#define TVL_PARAM_BARORDER               3014
#define TVL_PARAM_BARSTARTALG            3017
#define TVL_PARAM_BARCROSSALG            3018
#define TVL_PARAM_BARQCPEPCOMP           3020
#define TVL_PARAM_NETITLIM               5001
#define TVL_PARAM_NETEPOPT               5002
#define TVL_PARAM_NETEPRHS               5003
#define TVL_PARAM_NETPPRIIND             5004
#define TVL_PARAM_NETDISPLAY             5005
#define TVL_PARAM_QPNZREADLIM            4001
#define TVL_PARAM_QPMAKEPSDIND           4010
/* END GENERATED PARAMETERS */

/* ------------------------------------------------------------------ */
/* Environment, channels, messages, errors                             */
/* ------------------------------------------------------------------ */
TVLPUBLIC TVLENVptr TVLopenTAVLO(int *status_p);
TVLPUBLIC int TVLcloseTAVLO(TVLENVptr *env_p);
TVLPUBLIC const char *TVLversion(TVLCENVptr env);
TVLPUBLIC TVLENVptr TVLparenv(TVLENVptr env, int *status_p);
TVLPUBLIC int TVLfreeparenv(TVLENVptr env, TVLENVptr *child_p);

TVLPUBLIC int TVLgetchannels(TVLCENVptr env, TVLCHANNELptr *results_p, TVLCHANNELptr *warning_p,
                             TVLCHANNELptr *error_p, TVLCHANNELptr *log_p);
TVLPUBLIC TVLCHANNELptr TVLaddchannel(TVLENVptr env);
TVLPUBLIC int TVLdelchannel(TVLENVptr env, TVLCHANNELptr *channel_p);
TVLPUBLIC int TVLdisconnectchannel(TVLENVptr env, TVLCHANNELptr channel);
TVLPUBLIC int TVLflushchannel(TVLENVptr env, TVLCHANNELptr channel);
TVLPUBLIC int TVLflushstdchannels(TVLENVptr env);
TVLPUBLIC int TVLaddfpdest(TVLENVptr env, TVLCHANNELptr channel, FILE *fileptr);
TVLPUBLIC int TVLdelfpdest(TVLENVptr env, TVLCHANNELptr channel, FILE *fileptr);
TVLPUBLIC int TVLaddfuncdest(TVLENVptr env, TVLCHANNELptr channel, void *handle, TVLmsgfunction msgfunction);
TVLPUBLIC int TVLdelfuncdest(TVLENVptr env, TVLCHANNELptr channel, void *handle, TVLmsgfunction msgfunction);
TVLPUBLIC int TVLmsg(TVLCHANNELptr channel, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
TVLPUBLIC int TVLmsgstr(TVLCHANNELptr channel, const char *msg_str);
TVLPUBLIC int TVLsetlogfile(TVLENVptr env, FILE *fileptr);
TVLPUBLIC int TVLgetlogfile(TVLCENVptr env, FILE **fileptr_p);
TVLPUBLIC const char *TVLgeterrorstring(TVLCENVptr env, int errcode, char *buffer_str);

/* Utility entry points: the library's allocator and the standard I/O of
 * the library's own runtime. */
TVLPUBLIC void *TVLmalloc(size_t size);
TVLPUBLIC void *TVLrealloc(void *ptr, size_t size);
TVLPUBLIC void TVLfree(void *ptr);
TVLPUBLIC FILE *TVLfopen(const char *filename_str, const char *type_str);
TVLPUBLIC int TVLfclose(FILE *stream);
TVLPUBLIC int TVLfputs(const char *s_str, FILE *stream);
TVLPUBLIC int TVLputenv(char *envsetting_str);

/* ------------------------------------------------------------------ */
/* Parameters                                                          */
/* ------------------------------------------------------------------ */
TVLPUBLIC int TVLsetintparam(TVLENVptr env, int whichparam, int newvalue);
TVLPUBLIC int TVLsetdblparam(TVLENVptr env, int whichparam, double newvalue);
TVLPUBLIC int TVLsetstrparam(TVLENVptr env, int whichparam, const char *newvalue_str);
TVLPUBLIC int TVLgetintparam(TVLCENVptr env, int whichparam, int *value_p);
TVLPUBLIC int TVLgetdblparam(TVLCENVptr env, int whichparam, double *value_p);
TVLPUBLIC int TVLgetstrparam(TVLCENVptr env, int whichparam, char *value_str);
TVLPUBLIC int TVLinfointparam(TVLCENVptr env, int whichparam, int *defvalue_p, int *minvalue_p,
                              int *maxvalue_p);
TVLPUBLIC int TVLinfodblparam(TVLCENVptr env, int whichparam, double *defvalue_p, double *minvalue_p,
                              double *maxvalue_p);
TVLPUBLIC int TVLinfostrparam(TVLCENVptr env, int whichparam, char *defvalue_str);
TVLPUBLIC int TVLgetparamname(TVLCENVptr env, int whichparam, char *name_str);
TVLPUBLIC int TVLgetparamnum(TVLCENVptr env, const char *name_str, int *whichparam_p);
TVLPUBLIC int TVLgetparamtype(TVLCENVptr env, int whichparam, int *paramtype);
TVLPUBLIC int TVLgetchgparam(TVLCENVptr env, int *cnt_p, int *paramnum, int pspace, int *surplus_p);
TVLPUBLIC int TVLsetdefaults(TVLENVptr env);
TVLPUBLIC int TVLwriteparam(TVLENVptr env, const char *filename_str);
TVLPUBLIC int TVLreadcopyparam(TVLENVptr env, const char *filename_str);

/* ------------------------------------------------------------------ */
/* Problem object: construction                                        */
/* ------------------------------------------------------------------ */
TVLPUBLIC TVLLPptr TVLcreateprob(TVLENVptr env, int *status_p, const char *probname_str);
TVLPUBLIC int TVLfreeprob(TVLENVptr env, TVLLPptr *lp_p);
TVLPUBLIC TVLLPptr TVLcloneprob(TVLENVptr env, TVLCLPptr lp, int *status_p);
TVLPUBLIC int TVLcopylp(TVLENVptr env, TVLLPptr lp, int numcols, int numrows, int objsense,
                        const double *obj, const double *rhs, const char *sense, const int *matbeg,
                        const int *matcnt, const int *matind, const double *matval, const double *lb,
                        const double *ub, const double *rngval);
TVLPUBLIC int TVLcopylpwnames(TVLENVptr env, TVLLPptr lp, int numcols, int numrows, int objsense,
                              const double *obj, const double *rhs, const char *sense,
                              const int *matbeg, const int *matcnt, const int *matind,
                              const double *matval, const double *lb, const double *ub,
                              const double *rngval, char **colname, char **rowname);
TVLPUBLIC int TVLcopyctype(TVLENVptr env, TVLLPptr lp, const char *xctype);
TVLPUBLIC int TVLchgctype(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const char *xctype);
TVLPUBLIC int TVLgetctype(TVLCENVptr env, TVLCLPptr lp, char *xctype, int begin, int end);
TVLPUBLIC int TVLcopyobjname(TVLENVptr env, TVLLPptr lp, const char *objname_str);
TVLPUBLIC int TVLchgprobname(TVLENVptr env, TVLLPptr lp, const char *probname);
TVLPUBLIC int TVLgetprobtype(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLchgprobtype(TVLENVptr env, TVLLPptr lp, int type);

/* ------------------------------------------------------------------ */
/* Problem object: modification                                        */
/* ------------------------------------------------------------------ */
TVLPUBLIC int TVLnewrows(TVLENVptr env, TVLLPptr lp, int rcnt, const double *rhs, const char *sense,
                         const double *rngval, char **rowname);
TVLPUBLIC int TVLnewcols(TVLENVptr env, TVLLPptr lp, int ccnt, const double *obj, const double *lb,
                         const double *ub, const char *xctype, char **colname);
TVLPUBLIC int TVLaddrows(TVLENVptr env, TVLLPptr lp, int ccnt, int rcnt, int nzcnt, const double *rhs,
                         const char *sense, const int *rmatbeg, const int *rmatind,
                         const double *rmatval, char **colname, char **rowname);
TVLPUBLIC int TVLaddcols(TVLENVptr env, TVLLPptr lp, int ccnt, int nzcnt, const double *obj,
                         const int *cmatbeg, const int *cmatind, const double *cmatval,
                         const double *lb, const double *ub, char **colname);
TVLPUBLIC int TVLdelrows(TVLENVptr env, TVLLPptr lp, int begin, int end);
TVLPUBLIC int TVLdelcols(TVLENVptr env, TVLLPptr lp, int begin, int end);
TVLPUBLIC int TVLdelsetrows(TVLENVptr env, TVLLPptr lp, int *delstat);
TVLPUBLIC int TVLdelsetcols(TVLENVptr env, TVLLPptr lp, int *delstat);
TVLPUBLIC int TVLchgobj(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const double *values);
TVLPUBLIC int TVLchgrhs(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const double *values);
TVLPUBLIC int TVLchgsense(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const char *sense);
TVLPUBLIC int TVLchgrngval(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices,
                           const double *values);
TVLPUBLIC int TVLchgbds(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const char *lu,
                        const double *bd);
TVLPUBLIC int TVLtightenbds(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const char *lu,
                            const double *bd);
TVLPUBLIC int TVLchgcoef(TVLENVptr env, TVLLPptr lp, int i, int j, double newvalue);
TVLPUBLIC int TVLchgcoeflist(TVLENVptr env, TVLLPptr lp, int numcoefs, const int *rowlist,
                             const int *collist, const double *vallist);
TVLPUBLIC int TVLchgobjsen(TVLENVptr env, TVLLPptr lp, int maxormin);
TVLPUBLIC int TVLchgname(TVLENVptr env, TVLLPptr lp, int key, int ij, const char *newname_str);
TVLPUBLIC int TVLchgrowname(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, char **newname);
TVLPUBLIC int TVLchgcolname(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, char **newname);
TVLPUBLIC int TVLcompletelp(TVLENVptr env, TVLLPptr lp);

/* ------------------------------------------------------------------ */
/* Problem object: queries                                             */
/* ------------------------------------------------------------------ */
TVLPUBLIC int TVLgetnumrows(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetnumcols(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetnumnz(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetobjsen(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetobj(TVLCENVptr env, TVLCLPptr lp, double *obj, int begin, int end);
TVLPUBLIC int TVLgetrhs(TVLCENVptr env, TVLCLPptr lp, double *rhs, int begin, int end);
TVLPUBLIC int TVLgetsense(TVLCENVptr env, TVLCLPptr lp, char *sense, int begin, int end);
TVLPUBLIC int TVLgetrngval(TVLCENVptr env, TVLCLPptr lp, double *rngval, int begin, int end);
TVLPUBLIC int TVLgetlb(TVLCENVptr env, TVLCLPptr lp, double *lb, int begin, int end);
TVLPUBLIC int TVLgetub(TVLCENVptr env, TVLCLPptr lp, double *ub, int begin, int end);
TVLPUBLIC int TVLgetcols(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, int *cmatbeg, int *cmatind,
                         double *cmatval, int cmatspace, int *surplus_p, int begin, int end);
TVLPUBLIC int TVLgetrows(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, int *rmatbeg, int *rmatind,
                         double *rmatval, int rmatspace, int *surplus_p, int begin, int end);
TVLPUBLIC int TVLgetcoef(TVLCENVptr env, TVLCLPptr lp, int i, int j, double *coef_p);
TVLPUBLIC int TVLgetrowname(TVLCENVptr env, TVLCLPptr lp, char **name, char *namestore,
                            int storespace, int *surplus_p, int begin, int end);
TVLPUBLIC int TVLgetcolname(TVLCENVptr env, TVLCLPptr lp, char **name, char *namestore,
                            int storespace, int *surplus_p, int begin, int end);
TVLPUBLIC int TVLgetrowindex(TVLCENVptr env, TVLCLPptr lp, const char *lname_str, int *index_p);
TVLPUBLIC int TVLgetcolindex(TVLCENVptr env, TVLCLPptr lp, const char *lname_str, int *index_p);
TVLPUBLIC int TVLgetprobname(TVLCENVptr env, TVLCLPptr lp, char *buf_str, int bufspace,
                             int *surplus_p);
TVLPUBLIC int TVLgetobjname(TVLCENVptr env, TVLCLPptr lp, char *buf_str, int bufspace,
                            int *surplus_p);

/* BEGIN MODEL FILES */
/* Model files: the format is chosen from the file name (after a .gz, .bz2
 * or .Z suffix) or given as "LP", "MPS" (fixed columns), "FMPS" (free
 * MPS) or "SAV" (the library's binary format). */
TVLPUBLIC int TVLreadcopyprob(TVLENVptr env, TVLLPptr lp, const char *filename_str, const char *filetype_str);
TVLPUBLIC int TVLwriteprob(TVLCENVptr env, TVLCLPptr lp, const char *filename_str, const char *filetype_str);

/* Basis files (column-oriented MPS basis layout). */
TVLPUBLIC int TVLmbasewrite(TVLCENVptr env, TVLCLPptr lp, const char *filename_str);
TVLPUBLIC int TVLreadcopybase(TVLENVptr env, TVLLPptr lp, const char *filename_str);

/* Special ordered sets: set k has type sostype[k] ('1' or '2') and the
 * members sosind/soswt[sosbeg[k] .. sosbeg[k+1]-1] (the last set ends at
 * numsosnz).  Loading sets makes the problem a MIP. */
TVLPUBLIC int TVLcopysos(TVLENVptr env, TVLLPptr lp, int numsos, int numsosnz, const char *sostype,
                         const int *sosbeg, const int *sosind, const double *soswt, char **sosname);
TVLPUBLIC int TVLgetnumsos(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetsos(TVLCENVptr env, TVLCLPptr lp, int *numsosnz_p, char *sostype, int *sosbeg,
                        int *sosind, double *soswt, int sosspace, int *surplus_p, int begin, int end);
TVLPUBLIC int TVLgetsosname(TVLCENVptr env, TVLCLPptr lp, char **name, char *namestore, int storespace,
                            int *surplus_p, int begin, int end);
TVLPUBLIC int TVLEchgsosname(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, char **newname);

/* Quadratic objective c'x + 1/2 x'Qx, Q given column-wise with both
 * triangles (TVLcopyquad) or as its diagonal (TVLcopyqpsep). */
TVLPUBLIC int TVLcopyquad(TVLENVptr env, TVLLPptr lp, const int *qmatbeg, const int *qmatcnt,
                          const int *qmatind, const double *qmatval);
TVLPUBLIC int TVLcopyqpsep(TVLENVptr env, TVLLPptr lp, const double *qsepvec);
TVLPUBLIC int TVLgetquad(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, int *qmatbeg, int *qmatind,
                         double *qmatval, int qmatspace, int *surplus_p, int begin, int end);
TVLPUBLIC int TVLgetnumquad(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetnumqpnz(TVLCENVptr env, TVLCLPptr lp);

/* Quadratic constraints a'x + sum quadval*x[quadrow]*x[quadcol] <= or >= rhs. */
TVLPUBLIC int TVLaddqconstr(TVLENVptr env, TVLLPptr lp, int linnzcnt, int quadnzcnt, double rhs, int sense,
                            const int *linind, const double *linval, const int *quadrow,
                            const int *quadcol, const double *quadval, const char *lname_str);
TVLPUBLIC int TVLgetqconstr(TVLCENVptr env, TVLCLPptr lp, int *linnzcnt_p, int *quadnzcnt_p, double *rhs_p,
                            char *sense_p, int *linind, double *linval, int linspace, int *linsurplus_p,
                            int *quadrow, int *quadcol, double *quadval, int quadspace,
                            int *quadsurplus_p, int which);
TVLPUBLIC int TVLgetnumqconstrs(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetqconstrname(TVLCENVptr env, TVLCLPptr lp, char *buf_str, int bufspace, int *surplus_p,
                                int which);
TVLPUBLIC int TVLEchgqcname(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, char **newname);

/* Indicator constraints: column indvar = 1 (0 when complemented) implies
 * the linear row (sense 'L', 'E' or 'G') holds.  They make the problem a MIP. */
TVLPUBLIC int TVLEaddindconstr(TVLENVptr env, TVLLPptr lp, int indvar, int complemented, int nzcnt,
                               double rhs, int sense, const int *linind, const double *linval,
                               const char *indname_str);
TVLPUBLIC int TVLgetindconstr(TVLCENVptr env, TVLCLPptr lp, int *indvar_p, int *complemented_p,
                              int *nzcnt_p, double *rhs_p, char *sense_p, int *linind, double *linval,
                              int space, int *surplus_p, int which);
TVLPUBLIC int TVLEgetindicator(TVLCENVptr env, TVLCLPptr lp, int which, int *indvar_p, int *complemented_p,
                               int *nzcnt_p, double *rhs_p, char *sense_p, int *linind, double *linval,
                               int space, int *surplus_p);
/* Slacks rhs - a'x of indicator constraints begin..end at the solution's
 * columns (the incumbent of a MIP), whether or not each is switched on. */
TVLPUBLIC int TVLgetindconstrslack(TVLCENVptr env, TVLCLPptr lp, double *indslack, int begin, int end);
TVLPUBLIC int TVLgetnumindconstrs(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetindconstrname(TVLCENVptr env, TVLCLPptr lp, char *buf_str, int bufspace, int *surplus_p,
                                  int which);
/* User cuts and lazy constraints: linear rows (sense 'L', 'E' or 'G', absent
 * sense 'E', absent rhs 0) given row-wise like TVLaddrows, kept for the MIP
 * optimizer and carried by LP and SAV files.  Deleting columns frees both. */
TVLPUBLIC int TVLaddusercuts(TVLENVptr env, TVLLPptr lp, int rcnt, int nzcnt, const double *rhs,
                             const char *sense, const int *rmatbeg, const int *rmatind,
                             const double *rmatval, char **rowname);
TVLPUBLIC int TVLaddlazyconstraints(TVLENVptr env, TVLLPptr lp, int rcnt, int nzcnt, const double *rhs,
                                    const char *sense, const int *rmatbeg, const int *rmatind,
                                    const double *rmatval, char **rowname);
TVLPUBLIC int TVLfreeusercuts(TVLENVptr env, TVLLPptr lp);
TVLPUBLIC int TVLfreelazyconstraints(TVLENVptr env, TVLLPptr lp);
TVLPUBLIC int TVLgetnumusercuts(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetnumlazyconstraints(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetusercuts(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, double *rhs, char *sense,
                             int *rmatbeg, int *rmatind, double *rmatval, int space, int *surplus_p,
                             int begin, int end);
TVLPUBLIC int TVLgetlazyconstraints(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, double *rhs, char *sense,
                                    int *rmatbeg, int *rmatind, double *rmatval, int space,
                                    int *surplus_p, int begin, int end);
/* LP format writer; TVLclpwrite writes the conflict subproblem. */
TVLPUBLIC int TVLlpwrite(TVLENVptr env, TVLLPptr lp, const char *filename_str);
TVLPUBLIC int TVLclpwrite(TVLENVptr env, TVLLPptr lp, const char *filename_str);
/* END MODEL FILES */

/* BEGIN SOLUTION AND CALLBACKS */
/* Solution status codes (TVLgetstat) */
#define TVL_STAT_OPTIMAL 1
#define TVL_STAT_UNBOUNDED 2
#define TVL_STAT_INFEASIBLE 3
#define TVL_STAT_INForUNBD 4
#define TVL_STAT_OPTIMAL_INFEAS 5
#define TVL_STAT_NUM_BEST 6
#define TVL_STAT_ABORT_IT_LIM 10
#define TVL_STAT_ABORT_TIME_LIM 11
#define TVL_STAT_ABORT_OBJ_LIM 12
#define TVL_STAT_ABORT_USER 13
#define TVL_STAT_FEASIBLE_RELAXED_SUM 14
#define TVL_STAT_OPTIMAL_RELAXED_SUM 15
#define TVL_STAT_FEASIBLE_RELAXED_INF 16
#define TVL_STAT_OPTIMAL_RELAXED_INF 17
#define TVL_STAT_FEASIBLE_RELAXED_QUAD 18
#define TVL_STAT_OPTIMAL_RELAXED_QUAD 19
#define TVL_STAT_OPTIMAL_FACE_UNBOUNDED 20
#define TVL_STAT_ABORT_PRIM_OBJ_LIM 21
#define TVL_STAT_ABORT_DUAL_OBJ_LIM 22
#define TVL_STAT_FEASIBLE 23
#define TVL_STAT_CONFLICT_FEASIBLE 30
#define TVL_STAT_CONFLICT_MINIMAL 31
#define TVL_STAT_CONFLICT_NONMINIMAL 32
#define TVL_STAT_CONFLICT_ABORT_TIME_LIM 33
#define TVL_STAT_CONFLICT_ABORT_IT_LIM 34
#define TVL_STAT_CONFLICT_ABORT_NODE_LIM 35
#define TVL_STAT_CONFLICT_ABORT_OBJ_LIM 36
#define TVL_STAT_CONFLICT_ABORT_MEM_LIM 37
#define TVL_STAT_CONFLICT_ABORT_USER 38
#define TVL_STAT_CONFLICT_ABORT_DETTIME_LIM 39
#define TVL_STAT_ABORT_DETTIME_LIM 900
#define TVLMIP_OPTIMAL 101
#define TVLMIP_OPTIMAL_TOL 102
#define TVLMIP_INFEASIBLE 103
#define TVLMIP_SOL_LIM 104
#define TVLMIP_NODE_LIM_FEAS 105
#define TVLMIP_NODE_LIM_INFEAS 106
#define TVLMIP_TIME_LIM_FEAS 107
#define TVLMIP_TIME_LIM_INFEAS 108
#define TVLMIP_FAIL_FEAS 109
#define TVLMIP_FAIL_INFEAS 110
#define TVLMIP_MEM_LIM_FEAS 111
#define TVLMIP_MEM_LIM_INFEAS 112
#define TVLMIP_ABORT_FEAS 113
#define TVLMIP_ABORT_INFEAS 114
#define TVLMIP_OPTIMAL_INFEAS 115
#define TVLMIP_FAIL_FEAS_NO_TREE 116
#define TVLMIP_FAIL_INFEAS_NO_TREE 117
#define TVLMIP_UNBOUNDED 118
#define TVLMIP_INForUNBD 119
#define TVLMIP_FEASIBLE_RELAXED_SUM 120
#define TVLMIP_OPTIMAL_RELAXED_SUM 121
#define TVLMIP_FEASIBLE_RELAXED_INF 122
#define TVLMIP_OPTIMAL_RELAXED_INF 123
#define TVLMIP_FEASIBLE_RELAXED_QUAD 124
#define TVLMIP_OPTIMAL_RELAXED_QUAD 125
#define TVLMIP_ABORT_RELAXED 126
#define TVLMIP_FEASIBLE 127
#define TVLMIP_POPULATESOL_LIM 128
#define TVLMIP_OPTIMAL_POPULATED 129
#define TVLMIP_OPTIMAL_POPULATED_TOL 130
#define TVLMIP_ABORT_IT_LIM_FEAS 131
#define TVLMIP_ABORT_IT_LIM_INFEAS 132
#define TVLMIP_DETTIME_LIM_FEAS 133
#define TVLMIP_DETTIME_LIM_INFEAS 134

/* Methods that produce a solution (TVLgetmethod, TVLsolninfo) */
#define TVL_ALG_NONE (-1)
#define TVL_ALG_AUTOMATIC 0
#define TVL_ALG_PRIMAL 1
#define TVL_ALG_DUAL 2
#define TVL_ALG_NET 3
#define TVL_ALG_BARRIER 4
#define TVL_ALG_SIFTING 5
#define TVL_ALG_CONCURRENT 6
#define TVL_ALG_BAROPT 7
#define TVL_ALG_PIVOTIN 8
#define TVL_ALG_PIVOTOUT 9
#define TVL_ALG_PIVOT 10
#define TVL_ALG_FEASOPT 11
#define TVL_ALG_MIP 12

/* Solution types (TVLsolninfo) */
#define TVL_NO_SOLN 0
#define TVL_BASIC_SOLN 1
#define TVL_NONBASIC_SOLN 2
#define TVL_PRIMAL_SOLN 3

/* Quality measures (TVLgetdblquality, TVLgetintquality) */
#define TVL_MAX_PRIMAL_INFEAS 1
#define TVL_MAX_SCALED_PRIMAL_INFEAS 2
#define TVL_SUM_PRIMAL_INFEAS 3
#define TVL_SUM_SCALED_PRIMAL_INFEAS 4
#define TVL_MAX_DUAL_INFEAS 5
#define TVL_MAX_SCALED_DUAL_INFEAS 6
#define TVL_SUM_DUAL_INFEAS 7
#define TVL_SUM_SCALED_DUAL_INFEAS 8
#define TVL_MAX_INT_INFEAS 9
#define TVL_SUM_INT_INFEAS 10
#define TVL_MAX_PRIMAL_RESIDUAL 11
#define TVL_MAX_SCALED_PRIMAL_RESIDUAL 12
#define TVL_SUM_PRIMAL_RESIDUAL 13
#define TVL_SUM_SCALED_PRIMAL_RESIDUAL 14
#define TVL_MAX_DUAL_RESIDUAL 15
#define TVL_MAX_SCALED_DUAL_RESIDUAL 16
#define TVL_SUM_DUAL_RESIDUAL 17
#define TVL_SUM_SCALED_DUAL_RESIDUAL 18
#define TVL_MAX_COMP_SLACK 19
#define TVL_SUM_COMP_SLACK 21
#define TVL_MAX_X 23
#define TVL_MAX_SCALED_X 24
#define TVL_MAX_PI 25
#define TVL_MAX_SCALED_PI 26
#define TVL_MAX_SLACK 27
#define TVL_MAX_SCALED_SLACK 28
#define TVL_MAX_RED_COST 29
#define TVL_MAX_SCALED_RED_COST 30
#define TVL_SUM_X 31
#define TVL_SUM_SCALED_X 32
#define TVL_SUM_PI 33
#define TVL_SUM_SCALED_PI 34
#define TVL_SUM_SLACK 35
#define TVL_SUM_SCALED_SLACK 36
#define TVL_SUM_RED_COST 37
#define TVL_SUM_SCALED_RED_COST 38
#define TVL_KAPPA 39
#define TVL_OBJ_GAP 40
#define TVL_DUAL_OBJ 41
#define TVL_PRIMAL_OBJ 42
#define TVL_MAX_QCPRIMAL_RESIDUAL 43
#define TVL_SUM_QCPRIMAL_RESIDUAL 44
#define TVL_MAX_QCSLACK_INFEAS 45
#define TVL_SUM_QCSLACK_INFEAS 46
#define TVL_MAX_QCSLACK 47
#define TVL_SUM_QCSLACK 48
#define TVL_MAX_INDSLACK_INFEAS 49
#define TVL_SUM_INDSLACK_INFEAS 50
#define TVL_KAPPA_STABLE 52
#define TVL_KAPPA_SUSPICIOUS 53
#define TVL_KAPPA_UNSTABLE 54
#define TVL_KAPPA_ILLPOSED 55
#define TVL_KAPPA_MAX 56
#define TVL_KAPPA_ATTENTION 57

/* Callback contexts (wherefrom) */
#define TVL_CALLBACK_PRIMAL 1
#define TVL_CALLBACK_DUAL 2
#define TVL_CALLBACK_NETWORK 3
#define TVL_CALLBACK_PRIMAL_CROSSOVER 4
#define TVL_CALLBACK_DUAL_CROSSOVER 5
#define TVL_CALLBACK_BARRIER 6
#define TVL_CALLBACK_PRESOLVE 7
#define TVL_CALLBACK_QPBARRIER 8
#define TVL_CALLBACK_QPSIMPLEX 9
#define TVL_CALLBACK_TUNING 10
#define TVL_CALLBACK_MIP 101

/* Callback information items (TVLgetcallbackinfo) */
#define TVL_CALLBACK_INFO_PRIMAL_OBJ 1
#define TVL_CALLBACK_INFO_DUAL_OBJ 2
#define TVL_CALLBACK_INFO_PRIMAL_INFMEAS 3
#define TVL_CALLBACK_INFO_DUAL_INFMEAS 4
#define TVL_CALLBACK_INFO_PRIMAL_FEAS 5
#define TVL_CALLBACK_INFO_DUAL_FEAS 6
#define TVL_CALLBACK_INFO_ITCOUNT 7
#define TVL_CALLBACK_INFO_USER_PROBLEM 17
#define TVL_CALLBACK_INFO_ENDTIME 19
#define TVL_CALLBACK_INFO_ITCOUNT_LONG 20
#define TVL_CALLBACK_INFO_BEST_INTEGER 101
#define TVL_CALLBACK_INFO_BEST_REMAINING 102
#define TVL_CALLBACK_INFO_NODE_COUNT 103
#define TVL_CALLBACK_INFO_NODES_LEFT 104
#define TVL_CALLBACK_INFO_MIP_ITERATIONS 105
#define TVL_CALLBACK_INFO_CUTOFF 106
#define TVL_CALLBACK_INFO_MIP_FEAS 109
#define TVL_CALLBACK_INFO_MIP_REL_GAP 125

/* A callback returns nonzero to ask the running optimizer to stop. */
typedef int (*TVLcallbackfunc)(TVLCENVptr env, void *cbdata, int wherefrom, void *cbhandle);
/* A termination function returns 0 to go on or the status to stop with. */
typedef int (*TVLterminatefunc)(TVLCENVptr env);

/* Solution status and queries */
TVLPUBLIC int TVLgetstat(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC char *TVLgetstatstring(TVLCENVptr env, int statind, char *buffer_str);
TVLPUBLIC int TVLsolution(TVLCENVptr env, TVLCLPptr lp, int *lpstat_p, double *objval_p, double *x,
                          double *pi, double *slack, double *dj);
TVLPUBLIC int TVLsolninfo(TVLCENVptr env, TVLCLPptr lp, int *solnmethod_p, int *solntype_p,
                          int *pfeasind_p, int *dfeasind_p);
TVLPUBLIC int TVLgetobjval(TVLCENVptr env, TVLCLPptr lp, double *objval_p);
TVLPUBLIC int TVLgetx(TVLCENVptr env, TVLCLPptr lp, double *x, int begin, int end);
TVLPUBLIC int TVLgetpi(TVLCENVptr env, TVLCLPptr lp, double *pi, int begin, int end);
TVLPUBLIC int TVLgetslack(TVLCENVptr env, TVLCLPptr lp, double *slack, int begin, int end);
TVLPUBLIC int TVLgetdj(TVLCENVptr env, TVLCLPptr lp, double *dj, int begin, int end);
TVLPUBLIC int TVLgetax(TVLCENVptr env, TVLCLPptr lp, double *x, int begin, int end);
TVLPUBLIC int TVLgetrowinfeas(TVLCENVptr env, TVLCLPptr lp, const double *x, double *infeasout,
                              int begin, int end);
TVLPUBLIC int TVLgetcolinfeas(TVLCENVptr env, TVLCLPptr lp, const double *x, double *infeasout,
                              int begin, int end);
TVLPUBLIC int TVLgetmethod(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetitcnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetphase1cnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetbaritcnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetcrossppushcnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetcrosspexchcnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetcrossdpushcnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetcrossdexchcnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetpsbcnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetdsbcnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetsiftitcnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetsiftphase1cnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetdblquality(TVLCENVptr env, TVLCLPptr lp, double *quality_p, int what);
TVLPUBLIC int TVLgetintquality(TVLCENVptr env, TVLCLPptr lp, int *quality_p, int what);

/* Basis and starting point stored in a problem.  Row statuses describe the
 * row's activity: 0 (TVL_AT_LOWER) at its right-hand side, 2 (TVL_AT_UPPER)
 * at rhs + rngval (ranged rows only), 1 basic. */
TVLPUBLIC int TVLcopybase(TVLENVptr env, TVLLPptr lp, const int *cstat, const int *rstat);
TVLPUBLIC int TVLgetbase(TVLCENVptr env, TVLCLPptr lp, int *cstat, int *rstat);
TVLPUBLIC int TVLcopystart(TVLENVptr env, TVLLPptr lp, const int *cstat, const int *rstat,
                           const double *cprim, const double *rprim, const double *cdual,
                           const double *rdual);

/* Callbacks and termination */
TVLPUBLIC int TVLsetlpcallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle);
TVLPUBLIC int TVLgetlpcallbackfunc(TVLCENVptr env, TVLcallbackfunc *callback_p, void **cbhandle_p);
TVLPUBLIC int TVLsetprofcallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle);
TVLPUBLIC int TVLsettuningcallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle);
TVLPUBLIC int TVLgettuningcallbackfunc(TVLCENVptr env, TVLcallbackfunc *callback_p,
                                       void **cbhandle_p);
TVLPUBLIC int TVLsetmipcallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle);
TVLPUBLIC int TVLgetmipcallbackfunc(TVLCENVptr env, TVLcallbackfunc *callback_p, void **cbhandle_p);
TVLPUBLIC int TVLsetinfocallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle);
TVLPUBLIC int TVLgetinfocallbackfunc(TVLCENVptr env, TVLcallbackfunc *callback_p,
                                     void **cbhandle_p);
TVLPUBLIC int TVLsetnetcallbackfunc(TVLENVptr env, TVLcallbackfunc callback, void *cbhandle);
TVLPUBLIC int TVLgetnetcallbackfunc(TVLCENVptr env, TVLcallbackfunc *callback_p, void **cbhandle_p);
TVLPUBLIC int TVLsetterminate(TVLENVptr env, volatile int *terminate_p);
TVLPUBLIC int TVLEsetterminatefunc(TVLENVptr env, TVLterminatefunc terminatefunc);
TVLPUBLIC int TVLgettime(TVLCENVptr env, double *timestamp);
TVLPUBLIC int TVLgetcallbackinfo(TVLCENVptr env, void *cbdata, int wherefrom, int whichinfo,
                                 void *result_p);
/* Columns begin..end of the incumbent of the MIP optimization that called
 * the callback (context TVL_CALLBACK_MIP); 1217 while there is none, 1003
 * in another context.  Permitted inside an informational callback. */
TVLPUBLIC int TVLgetcallbackincumbent(TVLCENVptr env, void *cbdata, int wherefrom, double *x,
                                      int begin, int end);
/* END SOLUTION AND CALLBACKS */

/* BEGIN CONFLICT, FEASIBILITY RELAXATION AND TUNING */
/* Membership of a row or column in a conflict (TVLgetconflict). */
#define TVL_CONFLICT_EXCLUDED -1
#define TVL_CONFLICT_POSSIBLE_MEMBER 0
#define TVL_CONFLICT_POSSIBLE_LB 1
#define TVL_CONFLICT_POSSIBLE_UB 2
#define TVL_CONFLICT_MEMBER 3
#define TVL_CONFLICT_LB 4
#define TVL_CONFLICT_UB 5
/* Conflict refiner: a small set of rows and column bounds that is still
 * infeasible; the counts of its rows and columns (pointers may be null). */
TVLPUBLIC int TVLrefineconflict(TVLENVptr env, TVLLPptr lp, int *confnumrows_p, int *confnumcols_p);
TVLPUBLIC int TVLrefinemipstartconflict(TVLENVptr env, TVLLPptr lp, int mipstartindex,
                                        int *confnumrows_p, int *confnumcols_p);
/* The last conflict: its status, then rows before columns with their
 * membership codes. */
TVLPUBLIC int TVLgetconflict(TVLCENVptr env, TVLCLPptr lp, int *confstat_p, int *rowind, int *rowbdstat,
                             int *confnumrows_p, int *colind, int *colbdstat, int *confnumcols_p);
/* Feasibility relaxation: preferences per row range, right-hand side, lower
 * and upper bound (null: that kind is not relaxed). */
TVLPUBLIC int TVLfeasopt(TVLENVptr env, TVLLPptr lp, const double *rngpref, const double *rhspref,
                         const double *lbpref, const double *ubpref);
/* Parameter tuning with the caller's fixed parameters in three groups. */
TVLPUBLIC int TVLtuneparam(TVLENVptr env, TVLLPptr lp, int intcnt, const int *intnum, const int *intval,
                           int dblcnt, const int *dblnum, const double *dblval, int strcnt,
                           const int *strnum, char **strval, int *tunestat_p);
/* Tuning status (TVLtuneparam): 0 when every candidate setting was tried;
 * otherwise why the tuning ended early. */
#define TVL_TUNE_ABORT 1
#define TVL_TUNE_TILIM 2
/* Tuning callback item (context TVL_CALLBACK_TUNING): double, the share of
 * the candidate settings measured so far, from 0 to 1. */
#define TVL_CALLBACK_INFO_TUNING_PROGRESS 200
/* END CONFLICT, FEASIBILITY RELAXATION AND TUNING */


/* BEGIN LP OPTIMIZERS */
TVLPUBLIC int TVLlpopt(TVLENVptr env, TVLLPptr lp);
TVLPUBLIC int TVLdualopt(TVLENVptr env, TVLLPptr lp);
TVLPUBLIC int TVLprimopt(TVLENVptr env, TVLLPptr lp);
/* Primal feasibility of the stored basis: *infeas_p receives the number of
 * basic variables outside their bounds by more than TVL_PARAM_EPRHS
 * (0: the basis is primal feasible).  1262 without a basis. */
TVLPUBLIC int TVLcheckpfeas(TVLCENVptr env, TVLCLPptr lp, int *infeas_p);
/* After an infeasible outcome of the dual simplex: y (m) proves
 * infeasibility; *proof_p receives the amount by which the implied
 * inequality is violated.  Both outputs optional. */
TVLPUBLIC int TVLdualfarkas(TVLCENVptr env, TVLCLPptr lp, double *y, double *proof_p);
/* END LP OPTIMIZERS */

/* BEGIN MIP OPTIMIZER */
/* Branch and bound on a mixed-integer problem (types 1, 7, 11; others
 * fail with 3003).  A zero return says nothing about the outcome: read the
 * MIP status (101-134) with TVLgetstat. */
TVLPUBLIC int TVLmipopt(TVLENVptr env, TVLLPptr lp);
/* Fills the solution pool (TVL_PARAM_SOLNPOOLCAPACITY > 0, else a warning
 * and 0): phase I optimizes, phase II enumerates further solutions within
 * the pool gaps until TVL_PARAM_POPULATELIM solutions were stored (128) or
 * no node is left (129; 130 with a finite pool gap), or a limit stops it. */
TVLPUBLIC int TVLpopulate(TVLENVptr env, TVLLPptr lp);
/* Queries of the last MIP optimization: 3003 for a non-MIP, 1217 before
 * any MIP run (and after a change of the data), 1004 for a null output.
 * The counting ones return 0 on error (TVLgetnodeint -1). */
TVLPUBLIC int TVLgetmiprelgap(TVLCENVptr env, TVLCLPptr lp, double *gap_p);
TVLPUBLIC int TVLgetbestobjval(TVLCENVptr env, TVLCLPptr lp, double *objval_p);
TVLPUBLIC int TVLgetcutoff(TVLCENVptr env, TVLCLPptr lp, double *cutoff_p);
TVLPUBLIC int TVLgetnodecnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetnodeleftcnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetnodeint(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetmipitcnt(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetsubstat(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetsubmethod(TVLCENVptr env, TVLCLPptr lp);
/* Cuts of one type (0-16; others fail with 1003). */
TVLPUBLIC int TVLgetnumcuts(TVLCENVptr env, TVLCLPptr lp, int cuttype, int *num_p);
/* END MIP OPTIMIZER */

/* BEGIN SOLUTION POOL, MIP STARTS AND SOLUTION FILES */
/* Solution pool of a MIP: the integer-feasible solutions kept by the MIP
 * optimizer (TVL_PARAM_SOLNPOOLCAPACITY, TVL_PARAM_SOLNPOOLREPLACE,
 * TVL_PARAM_SOLNPOOLGAP, TVL_PARAM_SOLNPOOLAGAP).  Solution index -1 is the
 * incumbent, answered like TVLgetx, TVLgetslack and TVLgetobjval.  Other
 * queries need a MIP (3003) whose pool exists and has not been emptied by a
 * data change since the last optimization (3024). */
TVLPUBLIC int TVLgetsolnpoolnumsolns(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetsolnpoolnumreplaced(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetsolnpoolmeanobjval(TVLCENVptr env, TVLCLPptr lp, double *meanobjval_p);
TVLPUBLIC int TVLgetsolnpoolobjval(TVLCENVptr env, TVLCLPptr lp, int soln, double *objval_p);
TVLPUBLIC int TVLgetsolnpoolx(TVLCENVptr env, TVLCLPptr lp, int soln, double *x, int begin, int end);
TVLPUBLIC int TVLgetsolnpoolslack(TVLCENVptr env, TVLCLPptr lp, int soln, double *slack, int begin, int end);
TVLPUBLIC int TVLgetsolnpoolqconstrslack(TVLCENVptr env, TVLCLPptr lp, int soln, double *qcslack, int begin,
                                         int end);
/* Quality measures of pool solution soln, numbered as for TVLgetdblquality:
 * the primal ones (infeasibilities, residuals, sizes of x and of the
 * slacks, integrality violations, primal objective), computed from the
 * stored columns; dual measures give 1017.  soln -1 is the incumbent. */
TVLPUBLIC int TVLgetsolnpooldblquality(TVLCENVptr env, TVLCLPptr lp, int soln, double *quality_p, int what);
TVLPUBLIC int TVLgetsolnpoolintquality(TVLCENVptr env, TVLCLPptr lp, int soln, int *quality_p, int what);
TVLPUBLIC int TVLgetsolnpoolsolnname(TVLCENVptr env, TVLCLPptr lp, char *store, int storesz, int *surplus_p,
                                     int soln);
TVLPUBLIC int TVLgetsolnpoolsolnindex(TVLCENVptr env, TVLCLPptr lp, const char *lname_str, int *index_p);
TVLPUBLIC int TVLdelsolnpoolsolns(TVLENVptr env, TVLLPptr lp, int begin, int end);
TVLPUBLIC int TVLdelsetsolnpoolsolns(TVLENVptr env, TVLLPptr lp, int *delstat);

/* Pool filters, tested in list order on every candidate that is not better
 * than the pool's first solution.  Diversity (type 1): sum over the entries
 * of weight_j * |x_j - refval_j| must lie in [lower_cutoff, upper_cutoff];
 * 0-1 columns only (3414); weights none means all 1.  Range (type 2):
 * sum val_j * x_j must lie in [lb, ub].  Adding a filter creates the pool
 * (3024 when TVL_PARAM_SOLNPOOLCAPACITY is 0).  In TVLgetsolnpoolfilter,
 * val receives a diversity filter's weights (refval its reference values)
 * or a range filter's coefficients. */
#define TVL_FILTER_DIVERSITY 1
#define TVL_FILTER_RANGE 2
TVLPUBLIC int TVLaddsolnpooldivfilter(TVLENVptr env, TVLLPptr lp, double lower_cutoff, double upper_cutoff,
                                      int nzcnt, const int *ind, const double *weight, const double *refval,
                                      const char *lname_str);
TVLPUBLIC int TVLaddsolnpoolrngfilter(TVLENVptr env, TVLLPptr lp, double lb, double ub, int nzcnt,
                                      const int *ind, const double *val, const char *lname_str);
TVLPUBLIC int TVLdelsolnpoolfilters(TVLENVptr env, TVLLPptr lp, int begin, int end);
TVLPUBLIC int TVLdelsetsolnpoolfilters(TVLENVptr env, TVLLPptr lp, int *delstat);
TVLPUBLIC int TVLgetsolnpoolnumfilters(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetsolnpoolfiltertype(TVLCENVptr env, TVLCLPptr lp, int *ftype_p, int which);
TVLPUBLIC int TVLgetsolnpoolfilter(TVLCENVptr env, TVLCLPptr lp, int *ftype_p, double *lower_p, double *upper_p,
                                   int *nzcnt_p, int *ind, double *val, double *refval, int space,
                                   int *surplus_p, int which);
TVLPUBLIC int TVLgetsolnpooldivfilter(TVLCENVptr env, TVLCLPptr lp, double *lower_cutoff_p,
                                      double *upper_cutoff_p, int *nzcnt_p, int *ind, double *weight,
                                      double *refval, int space, int *surplus_p, int which);
TVLPUBLIC int TVLgetsolnpoolrngfilter(TVLCENVptr env, TVLCLPptr lp, double *lb_p, double *ub_p, int *nzcnt_p,
                                      int *ind, double *val, int space, int *surplus_p, int which);
TVLPUBLIC int TVLgetsolnpoolfiltername(TVLCENVptr env, TVLCLPptr lp, char *buf_str, int bufspace,
                                       int *surplus_p, int which);
TVLPUBLIC int TVLgetsolnpoolfilterindex(TVLCENVptr env, TVLCLPptr lp, const char *lname_str, int *index_p);

/* MIP starts: start k has the entries varindices/values[beg[k] ..
 * beg[k+1]-1] (the last ends at nzcnt), an effort level (effortlevel none:
 * all automatic) and a name (mipstartname none: "m1", "m2", ... by position
 * when added).  A value of 1e20 or more leaves its column without a start
 * value.  MIP problems only (3003); queries without starts give 3020.
 * TVLgetnummipstarts answers 0 for any problem without starts. */
#define TVL_MIPSTART_AUTO 0
#define TVL_MIPSTART_CHECKFEAS 1
#define TVL_MIPSTART_SOLVEFIXED 2
#define TVL_MIPSTART_SOLVEMIP 3
#define TVL_MIPSTART_REPAIR 4
#define TVL_MIPSTART_NOCHECK 5
TVLPUBLIC int TVLaddmipstarts(TVLENVptr env, TVLLPptr lp, int mcnt, int nzcnt, const int *beg,
                              const int *varindices, const double *values, const int *effortlevel,
                              char **mipstartname);
TVLPUBLIC int TVLgetnummipstarts(TVLCENVptr env, TVLCLPptr lp);
TVLPUBLIC int TVLgetmipstarts(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, int *beg, int *varindices,
                              double *values, int *effortlevel, int startspace, int *surplus_p, int begin,
                              int end);
TVLPUBLIC int TVLgetmipstartname(TVLCENVptr env, TVLCLPptr lp, char **name, char *store, int storesz,
                                 int *surplus_p, int begin, int end);
TVLPUBLIC int TVLgetmipstartindex(TVLCENVptr env, TVLCLPptr lp, const char *lname_str, int *index_p);
TVLPUBLIC int TVLdelmipstarts(TVLENVptr env, TVLLPptr lp, int begin, int end);

/* Solution and MIP-start files (XML; a .gz or .bz2 suffix compresses).
 * TVLsolwrite writes the current solution, TVLsolwritesolnpool one pool
 * solution (-1: the incumbent), TVLsolwritesolnpoolall every pool solution,
 * TVLmstwritesolnpoolall the pool solutions as MIP starts and
 * TVLwritemipstarts the MIP starts begin..end.  TVLreadcopymipstarts
 * replaces the problem's MIP starts by those of the file,
 * TVLreadcopymipstart by the first of them.  TVLreadcopysol installs a
 * solution file's values as the starting point (statuses, primal and dual
 * values) of an LP, or as a MIP start of a MIP.  TVLwriteprob and
 * TVLreadcopyprob choose these formats for names ending in .sol and .mst. */
TVLPUBLIC int TVLsolwrite(TVLCENVptr env, TVLCLPptr lp, const char *filename_str);
TVLPUBLIC int TVLsolwritesolnpool(TVLCENVptr env, TVLCLPptr lp, int soln, const char *filename_str);
TVLPUBLIC int TVLsolwritesolnpoolall(TVLCENVptr env, TVLCLPptr lp, const char *filename_str);
TVLPUBLIC int TVLmstwritesolnpoolall(TVLCENVptr env, TVLCLPptr lp, const char *filename_str);
TVLPUBLIC int TVLwritemipstarts(TVLCENVptr env, TVLCLPptr lp, const char *filename_str, int begin, int end);
TVLPUBLIC int TVLreadcopymipstarts(TVLENVptr env, TVLLPptr lp, const char *filename_str);
TVLPUBLIC int TVLreadcopymipstart(TVLENVptr env, TVLLPptr lp, const char *filename_str);
TVLPUBLIC int TVLreadcopysol(TVLENVptr env, TVLLPptr lp, const char *filename_str);
/* END SOLUTION POOL, MIP STARTS AND SOLUTION FILES */

/* BEGIN BASIS SOLVES */
/* Solves with the basis matrix B of the final basis of the last optimizer
 * run, in the problem's unscaled terms.  Position k of B holds the basic
 * variable head[k] of TVLgetbhead: a structural column j as j, the slack of
 * row i (A_i x + s_i = rhs_i, unit column e_i) as -i-1.  1258 when no
 * factored basis is stored (none yet, or the data changed since). */
TVLPUBLIC int TVLftran(TVLCENVptr env, TVLCLPptr lp, double *x);
TVLPUBLIC int TVLbtran(TVLCENVptr env, TVLCLPptr lp, double *y);
TVLPUBLIC int TVLgetbhead(TVLCENVptr env, TVLCLPptr lp, int *head, double *x);
TVLPUBLIC int TVLbinvrow(TVLCENVptr env, TVLCLPptr lp, int i, double *y);
TVLPUBLIC int TVLbinvcol(TVLCENVptr env, TVLCLPptr lp, int j, double *x);
TVLPUBLIC int TVLbinvarow(TVLCENVptr env, TVLCLPptr lp, int i, double *z);
TVLPUBLIC int TVLbinvacol(TVLCENVptr env, TVLCLPptr lp, int j, double *x);
/* END BASIS SOLVES */

#ifdef __cplusplus
}
#endif

#endif /* TAVLO_H */
