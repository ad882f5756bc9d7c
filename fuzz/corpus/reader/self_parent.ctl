Group5 = "5@X"
