Group1 = "2@A"
Group2 = "1@B"
